// A replacement of the global operator new for the test binary that can make
// one chosen allocation on the calling thread throw std::bad_alloc.
#pragma once

namespace vektest {

// The n-th allocation from now on this thread (n >= 1) throws; the others
// go through. Ends when it has thrown or when the scope ends.
class FailingAllocation {
public:
    explicit FailingAllocation(long n);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
    // Whether the chosen allocation was reached and threw.
    bool Thrown() const;
};

}  // namespace vektest
