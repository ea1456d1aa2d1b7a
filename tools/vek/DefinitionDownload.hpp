// The start of every command that works on values: connect, then fill the
// definition store, from the definition cache when it holds the governor's
// set, else by a download shown with its progress (and then cached).
#pragma once

namespace vektool {

class Session;

// Throws ToolError when the connection or the download fails.
void ConnectWithDefinitions(Session& session);

}  // namespace vektool
