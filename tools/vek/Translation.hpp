// The tool's translation of the library's texts: a catalog file installed as
// the library's translation callback.
#pragma once

#include <map>
#include <string>

namespace vektool {

// English text -> translated text, both as the library's UTF-16.
using Catalog = std::map<std::u16string, std::u16string>;

// Reads a catalog: UTF-8 text, one "English text<TAB>Translated text" pair a
// line; blank lines and lines starting with '#' are skipped; \t, \n, \r and
// \\ stand for a tab, a line feed, a carriage return and a backslash.
// Throws ToolError naming the file and line of a mistake.
Catalog LoadCatalog(const std::string& path);

// Loads the catalog at path and makes it the library's translation
// callback for the rest of the run.
void InstallTranslation(const std::string& path);

}  // namespace vektool
