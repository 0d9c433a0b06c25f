// The function library as one table, sorted by name (binary search; a test checks the
// order). maxArgs is the number of arguments a function reads: surplus arguments are still
// evaluated, since they may draw or fail, but their values are dropped at once.
//
// No function waits for a full window before its first value: windows are partial near the
// first bar. Where a function has a warm-up it is stated with its family (REF gives noValue
// for the first N bars, UPNDAY and NDAY give 0 before bar N, CROSS gives 0 at bar 0).
#include <algorithm>
#include <cstring>

#include "formula/library.h"

namespace zor {

namespace {

const LibraryFunction kLibrary[] = {
    {"ABS", fn::abs_, 1},
    {"ACOS", fn::acos_, 1},
    {"AMA", fn::ama, 2},
    {"AMO", fn::pricecall, 0},
    {"AMOUNT", fn::pricecall, 0},
    {"ASIN", fn::asin_, 1},
    {"ATAN", fn::atan_, 1},
    {"AVEDEV", fn::avedev, 2},
    {"BACKSET", fn::backset, 2},
    {"BARSCOUNT", fn::barscount, 1},
    {"BARSLAST", fn::barslast, 1},
    {"BARSLASTCOUNT", fn::barslastcount, 1},
    {"BARSSINCE", fn::barssince, 1},
    {"BETA", fn::beta, 0},
    {"BETWEEN", fn::between, 3},
    {"C", fn::pricecall, 0},
    {"CALCSTOCKINDEX", fn::calcstockindex, 0},
    {"CEILING", fn::ceiling, 1},
    {"CLOSE", fn::pricecall, 0},
    {"CON2STR", fn::textvalue, 0},
    {"CONST", fn::const_, 1},
    {"COS", fn::cos_, 1},
    {"COUNT", fn::count, 2},
    {"COVAR", fn::covar, 3},
    {"CROSS", fn::cross, 2},
    {"CURRBARSCOUNT", fn::currbarscount, 0},
    {"DATE", fn::date, 0},
    {"DAY", fn::day, 0},
    {"DEVSQ", fn::devsq, 2},
    {"DMA", fn::dma, 2},
    {"DOWNNDAY", fn::downnday, 2},
    {"DRAWBAND", fn::drawband, 4},
    {"DRAWGBK", fn::drawgbk, 3},
    {"DRAWICON", fn::drawicon, 3},
    {"DRAWKLINE", fn::drawkline, 4},
    {"DRAWLINE", fn::drawline, 4},
    {"DRAWNULL", fn::drawnull, 0},
    {"DRAWNUMBER", fn::drawnumber, 3},
    {"DRAWNUMBER_FIX", fn::drawnumberfix, 5},
    {"DRAWRECTREL", fn::drawrectrel, 4},
    {"DRAWSL", fn::drawsl, 5},
    {"DRAWTEXT", fn::drawtext, 2},
    {"DRAWTEXT_FIX", fn::drawtextfix, 4},
    {"DYNAINFO", fn::dynainfo, 1},
    {"EMA", fn::ema, 2},
    {"EVERY", fn::every, 2},
    {"EXIST", fn::exist, 2},
    {"EXISTR", fn::existr, 3},
    {"EXP", fn::exp_, 1},
    {"EXPMA", fn::ema, 2},
    {"EXPMEMA", fn::ema, 2},
    {"FILTER", fn::filter, 2},
    {"FINANCE", fn::finance, 0},
    {"FLOOR", fn::floor_, 1},
    {"FORCAST", fn::forcast, 2},
    {"FROMOPEN", fn::fromopen, 0},
    {"GET", fn::get, 0},
    {"H", fn::pricecall, 0},
    {"HHV", fn::hhv, 2},
    {"HHVBARS", fn::hhvbars, 2},
    {"HIGH", fn::pricecall, 0},
    {"HOUR", fn::hour, 0},
    {"IF", fn::if_, 3},
    {"IFF", fn::if_, 3},
    {"IFN", fn::ifn, 3},
    {"INBLOCK", fn::inblock, 0},
    {"INTPART", fn::intpart, 1},
    {"ISLASTBAR", fn::islastbar, 0},
    {"ISNULL", fn::isnull, 1},
    {"L", fn::pricecall, 0},
    {"LLV", fn::llv, 2},
    {"LLVBARS", fn::llvbars, 2},
    {"LN", fn::ln, 1},
    {"LOG", fn::log_, 1},
    {"LONGCROSS", fn::longcross, 3},
    {"LOW", fn::pricecall, 0},
    {"LOWRANGE", fn::lowrange, 1},
    {"MA", fn::ma, 2},
    {"MAX", fn::max_, 2},
    {"MEMA", fn::mema, 2},
    {"MIN", fn::min_, 2},
    {"MINUTE", fn::minute, 0},
    {"MOD", fn::mod, 2},
    {"MONTH", fn::month, 0},
    {"NDAY", fn::nday, 3},
    {"O", fn::pricecall, 0},
    {"OPEN", fn::pricecall, 0},
    {"PARTLINE", fn::polyline, 2},
    {"PEAK", fn::peak, 3},
    {"PEAKBARS", fn::peakbars, 3},
    {"PLOYLINE", fn::polyline, 2},
    {"POLYLINE", fn::polyline, 2},
    {"POW", fn::pow_, 2},
    {"RANGE", fn::range, 3},
    {"REF", fn::ref, 2},
    {"REFV", fn::ref, 2},
    {"REFX", fn::refx, 2},
    {"REFXV", fn::refx, 2},
    {"RELATE", fn::relate, 3},
    {"REVERSE", fn::reverse, 1},
    {"RGB", fn::rgb, 3},
    {"ROUND", fn::round_, 1},
    {"ROUND2", fn::round_, 1},
    {"SAR", fn::sar, 3},
    {"SARTURN", fn::sarturn, 3},
    {"SETCODE", fn::setcode, 0},
    {"SIGN", fn::sign, 1},
    {"SIN", fn::sin_, 1},
    {"SLOPE", fn::slope, 2},
    {"SMA", fn::sma, 3},
    {"SQRT", fn::sqrt_, 1},
    {"STD", fn::std_, 2},
    {"STDP", fn::stdp, 2},
    {"STICKLINE", fn::stickline, 4},
    {"STR2CON", fn::str2con, 0},
    {"STRCAT", fn::textvalue, 0},
    {"SUM", fn::sum, 2},
    {"SUMBARS", fn::sumbars, 2},
    {"TAN", fn::tan_, 1},
    {"TIME", fn::time_, 0},
    {"TMA", fn::tma, 3},
    {"TOPRANGE", fn::toprange, 1},
    {"TOTALBARSCOUNT", fn::totalbarscount, 0},
    {"TROUGH", fn::trough, 3},
    {"TROUGHBARS", fn::troughbars, 3},
    {"UPNDAY", fn::upnday, 2},
    {"V", fn::pricecall, 0},
    {"VALUEWHEN", fn::valuewhen, 2},
    {"VAR", fn::var, 2},
    {"VAR2STR", fn::textvalue, 0},
    {"VARP", fn::varp, 2},
    {"VERTLINE", fn::vertline, 1},
    {"VOL", fn::pricecall, 0},
    {"VOLUME", fn::pricecall, 0},
    {"WEEK", fn::week, 0},
    {"WMA", fn::wma, 2},
    {"XMA", fn::xma, 2},
    {"YEAR", fn::year, 0},
    {"ZIG", fn::zig, 2},
};

}  // namespace

const LibraryFunction* libraryFunctions(size_t& count) {
  count = sizeof kLibrary / sizeof kLibrary[0];
  return kLibrary;
}

int findLibraryFunction(std::string_view name) {
  const LibraryFunction* end = kLibrary + sizeof kLibrary / sizeof kLibrary[0];
  const LibraryFunction* it =
      std::lower_bound(kLibrary, end, name, [](const LibraryFunction& f, std::string_view k) { return k.compare(f.name) > 0; });
  if (it == end || name != it->name) return -1;
  return int(it - kLibrary);
}

}  // namespace zor
