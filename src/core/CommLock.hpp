// The one communication lock: process-wide, re-entrant for its owner,
// created at first use and never destroyed. Every exchange with the governor
// runs inside a CommLock scope.
#pragma once

namespace vek {

class CommLock {
public:
    CommLock();
    ~CommLock();
    CommLock(const CommLock&) = delete;
    CommLock& operator=(const CommLock&) = delete;
};

}  // namespace vek
