// vek load FILE: load a parameter file into the governor. The library writes
// every value it holds, so the governor's values are read first: a
// parameter the file does not name keeps its value. With --tolerant, lines
// whose number and name do not match are matched by name once the user
// agrees; the question is asked at the terminal, answered yes by --yes, and
// no when there is no terminal.
#include "Command.hpp"
#include "DefinitionDownload.hpp"
#include "GovernorValues.hpp"
#include "Output.hpp"
#include "Session.hpp"
#include "Terminal.hpp"
#include "TextOut.hpp"

#include "CLI/CLI.hpp"
#include "VekLib.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vektool {

namespace {

struct LoadOptions {
    std::string file;
    bool tolerant = false;
    bool measurements = false;
    bool yes = false;
};

// The question's line breaks are LF CR pairs; the terminal needs only the LF.
std::string WithoutCarriageReturns(const std::string& text) {
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
        Note(question + "\nNo terminal to answer on: no (--yes answers yes).");
        return 0;
    }
    return AskYesNo(question) ? 1 : 0;
}

int RunLoad(Session& session, const LoadOptions& options) {
    const std::u16string path = FromUtf8(options.file);
    ConnectWithDefinitions(session);
    ReadWritableValues(session);
    answerYes = options.yes;
    VekSetCallback(VEK_CALLBACK_QUESTION, reinterpret_cast<VekCallback>(AnswerMergeQuestion));
    session.Require("load " + options.file, [&] {
        return VekUploadPrmFileExt(AsVekText(path), options.measurements ? 1 : 0, options.tolerant ? 1 : 0) != 0;
    });
    PrintResult("Loaded " + options.file + " into the " + session.Describe());
    return 0;
}

}  // namespace

void AddLoad(CommandSet& commands) {
    auto options = std::make_shared<LoadOptions>();
    CLI::App& command = commands.Add(
        "load", "load a parameter file into the governor",
        "All or nothing: a file with one bad line changes nothing. The governor's values are read first, so\n"
        "that a parameter the file does not name keeps its value.",
        [options](Session& session) { return RunLoad(session, *options); });
    command.add_option("file", options->file, "the parameter file (as vek save writes it)")
        ->type_name("FILE")
        ->required();
    command.add_flag("--tolerant", options->tolerant,
                     "accept a file of other versions and match lines whose number and name disagree by their "
                     "name, after asking; lines of unknown names are skipped");
    command.add_flag("--measurements", options->measurements,
                     "also check the file's measurement lines against their definitions (skipped by "
                     "default; measurements are never written)");
    command.add_flag("--yes", options->yes, "answer yes to the --tolerant question (no terminal answers no)");
}

}  // namespace vektool
