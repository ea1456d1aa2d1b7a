// The service tool's --lang catalog: the library's texts as the catalog
// translates them, and the reasons a broken catalog is refused.
#include "support/TempDir.hpp"
#include "support/ToolRun.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

using vektest::RunTool;
using vektest::TempDir;
using vektest::ToolRun;

class ToolTranslation : public vektest::ToolTest {
protected:

    std::string WriteCatalog(const std::string& content) {
        const std::string path = (dir_ / "catalog.txt").string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    TempDir dir_;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(ToolTranslation, CatalogTranslatesTheProgressTextsAndSkipsCommentsAndBlankLines) {
    const std::string catalog = WriteCatalog(
        "# progress of the definition download\r\n"
        "\n"
        "Downloading parameters definition\tDefinitionen\\\\laden\r\n"
        "Parameter lists validated!\tListen gepr\xC3\xBC" "ft\n");
    const ToolRun run = RunTool("defs --progress --lang \"" + catalog + "\"");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "Definitionen\\laden (100%)")) << run.output;
    EXPECT_TRUE(Contains(run.output, "Listen gepr\xC3\xBC" "ft")) << run.output;
    EXPECT_FALSE(Contains(run.output, "Downloading parameters definition")) << run.output;
    // Texts the catalog leaves out stay English.
    EXPECT_TRUE(Contains(run.output, "Building parameter lists...")) << run.output;
}

TEST_F(ToolTranslation, GermanSampleCatalogLoads) {
    const ToolRun run = RunTool("defs --progress --lang \"" VEK_TEST_SOURCE_DIR "/tools/vek/lang/de.txt\"");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "Parameterdefinitionen werden geladen (100%)")) << run.output;
}

TEST_F(ToolTranslation, BrokenCatalogsAreRefusedWithFileLineAndReason) {
    const std::string noTab = WriteCatalog("# comment\nDone\tFertig\nDone Fertig\n");
    ToolRun run = RunTool("info --lang \"" + noTab + "\"");
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(Contains(run.output, "vek: " + noTab + ":3: expected 'English text<TAB>translation'")) << run.output;

    const std::string badEscape = WriteCatalog("Done\tFer\\xtig\n");
    run = RunTool("info --lang \"" + badEscape + "\"");
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(Contains(run.output, badEscape + ":1: unknown escape '\\x'")) << run.output;

    run = RunTool("info --lang \"" + (dir_ / "missing.txt").string() + "\"");
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(Contains(run.output, "vek: cannot read the catalog")) << run.output;
    EXPECT_FALSE(Contains(run.output, "Connected")) << run.output;
}

}  // namespace
