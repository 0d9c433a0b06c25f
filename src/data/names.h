// Instrument names: the name map filled from index.dat, the built-in table and the optional
// "stock_names.txt" beside the executable (each later source overriding an earlier one), and
// the THS name map read from the "stockname" folder beside a THS history directory.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace zor {

using NameMap = std::map<std::string, std::string>;

constexpr const char* kStockNamesFile = "stock_names.txt";
constexpr size_t kNormalisedNameMax = 60;

// Drops ASCII and ideographic spaces and turns full-width ASCII (U+FF01..U+FF5E) into
// half-width; at most 60 bytes, ending on a character boundary.
std::string normaliseName(std::string_view name);

// Adds the names of "<datDir>\index.dat" (normalised) to `names`; nothing for a missing or
// unrecognised file.
void loadIndexNames(const std::string& datDir, NameMap& names);

// Adds the built-in table, then the lines of "<exeDir>stock_names.txt".
void loadExtraNames(const std::string& exeDir, NameMap& names);
// The stock_names.txt lines: "code<TAB>name", blanks before the code ignored, empty lines and
// lines starting with "#" skipped. A leading BOM is dropped; text that is not UTF-8 is GBK.
void parseStockNames(std::string_view text, NameMap& names);

// Fills `names` from the name files in "<thsRoot>\..\stockname" (groups stockname_16_*.txt,
// stockname_32_*.txt, stockname_144_*.txt in this order); the first definition of a code wins.
void loadThsNames(const std::string& thsRoot, NameMap& names);
// One THS name file (GBK): "key=value" lines; a value ends at its first "|" or "@".
void parseThsNameFile(std::string_view text, NameMap& names);

}  // namespace zor
