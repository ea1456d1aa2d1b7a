// vek load FILE [--tolerant] [--measurements] [--yes]: load a parameter file
// into the governor. With --tolerant, lines whose number and name do not
// match are matched by name once the user agrees; the question is asked at
// the terminal, answered yes by --yes, and no when there is no terminal.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "Session.hpp"
#include "Terminal.hpp"
#include "TextOut.hpp"
#include "ToolError.hpp"

#include "VekLib.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace vektool {

namespace {

struct LoadOptions {
    std::string file;
    bool tolerant = false;
    bool measurements = false;
    bool yes = false;
};

LoadOptions ParseLoadOptions(const Arguments& arguments) {
    LoadOptions options;
    std::optional<std::string> file;
    for (const std::string& word : arguments) {
        if (word == "--tolerant") {
            options.tolerant = true;
        } else if (word == "--measurements") {
            options.measurements = true;
        } else if (word == "--yes") {
            options.yes = true;
        } else if (word.rfind("--", 0) == 0) {
            throw ToolError("load: unknown argument '" + word + "'");
        } else if (file) {
            throw ToolError("load takes one file");
        } else {
            file = word;
        }
    }
    if (!file) throw ToolError("load needs a file: load FILE [--tolerant] [--measurements] [--yes]");
    options.file = *file;
    return options;
}

// The question's line breaks are LF CR pairs; the terminal needs only the LF.
std::string WithoutCarriageReturns(std::string text) {
    std::string cleaned;
    for (char c : text) {
        if (c != '\r') cleaned += c;
    }
    return cleaned;
}

// How the merge question is answered: set for the length of one load.
bool answerYes = false;

int32_t VEK_CALL AnswerMergeQuestion(void*, const VekChar* text) {
    const std::string question = WithoutCarriageReturns(ToUtf8(text, SIZE_MAX));
    if (answerYes) return 1;
    if (!IsTerminal(stdin)) {
        std::fprintf(stderr, "%s\nNo terminal to answer on: no (--yes answers yes).\n", question.c_str());
        return 0;
    }
    return AskYesNo(question) ? 1 : 0;
}

void VEK_CALL ShowError(void*, const VekChar* text) {
    std::fprintf(stderr, "%s\n", ToUtf8(text, SIZE_MAX).c_str());
}

}  // namespace

int RunLoad(Session& session, const Arguments& arguments) {
    const LoadOptions options = ParseLoadOptions(arguments);
    ConnectWithDefinitions(session);
    answerYes = options.yes;
    VekSetCallback(VEK_CALLBACK_QUESTION, reinterpret_cast<VekCallback>(AnswerMergeQuestion));
    VekSetCallback(VEK_CALLBACK_ERROR, reinterpret_cast<VekCallback>(ShowError));
    const int32_t loaded = VekUploadPrmFileExt(AsVekText(FromUtf8(options.file)), options.measurements ? 1 : 0,
                                               options.tolerant ? 1 : 0);
    if (!loaded) throw ToolError("cannot load " + options.file + " (see --log FILE)");
    std::printf("Loaded %s into the %s\n", options.file.c_str(), session.Describe().c_str());
    return 0;
}

}  // namespace vektool
