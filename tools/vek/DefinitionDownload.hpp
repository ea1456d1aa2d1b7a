// The start of every command that works on values: connect, then download
// the governor's definitions while the progress is shown.
#pragma once

namespace vektool {

class Session;

// Throws ToolError when the connection or the download fails.
void ConnectWithDefinitions(Session& session);

}  // namespace vektool
