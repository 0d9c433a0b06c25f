// The account files: account_hist.dat and account_live.dat ("1CCA" to "4CCA", written as
// "4CCA") and train_account.dat ("1ART"). Layout, little-endian and unpadded:
//
//   magic[4]  cash f64  N i32  N position records  M i32  M deal records of 90 bytes
//   then a trailer older builds ignore: "ZXT1"  baseline f64  K i32  K × orderNo i64 (K = M)
//
// Position records are 66, 70, 74 or 82 bytes for versions 1 to 4 (the training file uses 82):
// market i32, code[10], name[32], qty i64, avgCost f64, buyDate i32, then from version 2
// replayDate i32, from version 3 boughtToday i32, from version 4 lastPrice f64. Deal records:
// noTime i32, code[10], name[32], side i32, price f64, qty i64, amount f64, fee f64, date i32,
// time i32. Money is stored as doubles of yuan and read back to whole cents.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "trading/account.h"

namespace zor {

enum class AccountFileKind {
  Account,   // account_hist.dat, account_live.dat
  Training,  // train_account.dat
  Any,       // reading only: whichever of the two the magic says (the command-line reader)
};

// What a reader of one of the trading files found.
struct FileReport {
  bool present = false;  // there were bytes to read
  // Something in the file could not be loaded (cut short, a count over its limit, unknown
  // magic, bad cash, skipped records). A damaged file is kept aside before it is overwritten.
  bool damaged = false;
  std::string magic;               // the magic as text ("4CCA"), or its bytes in hex
  std::vector<std::string> lost;   // what was not loaded, one line each, for the user
  std::vector<std::string> trace;  // trace-log lines of skipped records
};

// Reads an account file's bytes into `out` (first reset to cash 1,000,000 with nothing held;
// its fee model stays). Loads every valid record before the first damage. `fileName` names
// the file in the trace lines. T+1 freezes do not survive a restart: boughtToday is 0.
void decodeAccountFile(std::string_view bytes, AccountFileKind kind, std::string_view fileName, Account& out,
                       FileReport& report);

// The file's bytes: "1ART" for Training, "4CCA" otherwise, with the trailer.
std::string encodeAccountFile(const Account& account, AccountFileKind kind);

// The magic as text when printable, else "0x" and the hex of its bytes.
std::string magicText(std::string_view magic);

}  // namespace zor
