// The user formula store: lookups before the built-ins, the operations the formula manager and
// editor call, temporary imports, and saves that never lose the file.
#include <gtest/gtest.h>

#include <string>

#include "formula/builtin_formulas.h"
#include "formula/formula_file.h"
#include "formula/formula_store.h"
#include "platform/file_io.h"
#include "temp_dir.h"
#include "test_ui.h"

namespace zor {
namespace {

FormulaDef userDef(const std::string& name, const std::string& source = "A:C;") {
  FormulaDef def;
  def.name = name;
  def.description = "用户";
  def.source = source;
  return def;
}

std::string namesOf(const FormulaStore& store) {
  std::string out;
  for (const FormulaDef& d : store.formulas) out += (out.empty() ? "" : " ") + d.name + (d.temporary ? "*" : "");
  return out;
}

std::string namesInFile(const std::string& path) {
  std::string bytes;
  readFile(path, bytes);
  std::string out;
  for (const FormulaDef& d : parseFormulaFile(bytes).formulas) out += (out.empty() ? "" : " ") + d.name;
  return out;
}

struct StoreFixture : ::testing::Test {
  TempDir dir{"测试公式"};
  FormulaStore store;
  TestUi ui;
  void SetUp() override { store.path = dir.file("userformula.txt"); }
  // Starts the store over from what the file holds.
  void reload() {
    store.formulas.clear();
    store.loaded = false;
    store.keepOriginal = false;
  }
};

TEST(UserFormulaStore, LivesBesideTheExecutable) {
  EXPECT_EQ(userFormulaPath(), executableDirectory() + "userformula.txt");
  EXPECT_EQ(userFormulaStore().path, userFormulaPath());
  EXPECT_EQ(&userFormulaStore(), &userFormulaStore());
}

TEST_F(StoreFixture, MissingFileGivesAnEmptyListAndTheBuiltins) {
  EXPECT_EQ(findUserFormula(store, "MACD"), nullptr);
  const FormulaDef* def = findFormula(store, "macd");
  ASSERT_NE(def, nullptr);
  EXPECT_TRUE(def->builtin);
  EXPECT_TRUE(store.loaded);
  EXPECT_TRUE(store.formulas.empty());
  EXPECT_FALSE(fileExists(store.path)) << "looking up writes nothing";
}

TEST_F(StoreFixture, UserFormulaHidesTheBuiltinOfTheSameName) {
  ASSERT_TRUE(upsertUserFormula(store, userDef("macd", "DIF:C;"), ui));
  const FormulaDef* def = findFormula(store, "MACD");
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def->name, "macd");
  EXPECT_EQ(def->source, "DIF:C;");
  EXPECT_FALSE(def->builtin);
  EXPECT_TRUE(isUserFormula(store, "Macd"));
  EXPECT_FALSE(isUserFormula(store, "KDJ"));
  EXPECT_TRUE(findFormula(store, "KDJ")->builtin);
}

TEST_F(StoreFixture, UpsertReplacesInPlaceOrAppendsAndSavesEachTime) {
  upsertUserFormula(store, userDef("A"), ui);
  upsertUserFormula(store, userDef("B"), ui);
  upsertUserFormula(store, userDef("a", "A:O;"), ui);  // same name, other case: replaced in place
  EXPECT_EQ(namesOf(store), "a B");
  EXPECT_EQ(namesInFile(store.path), "a B");
  std::string bytes;
  readFile(store.path, bytes);
  EXPECT_EQ(bytes, formulaBlockText(store.formulas[0]) + formulaBlockText(store.formulas[1]));
  EXPECT_EQ(bytes.find('\r'), std::string::npos);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_FALSE(fileExists(store.path + ".tmp"));
}

TEST_F(StoreFixture, LoadsOnceAndKeepsFileOrder) {
  dir.write("userformula.txt", formulaBlockText(userDef("Z")) + formulaBlockText(userDef("Y")) +
                                   formulaBlockText(userDef("z", "B:O;")));
  loadUserFormulas(store);
  EXPECT_EQ(namesOf(store), "Z Y z");
  EXPECT_EQ(findFormula(store, "Z")->source, "A:C;") << "the first of duplicates is found";
  dir.write("userformula.txt", "");
  loadUserFormulas(store);
  EXPECT_EQ(namesOf(store), "Z Y z") << "later calls do nothing";
}

TEST_F(StoreFixture, DeleteAndMove) {
  for (const char* n : {"A", "B", "C"}) upsertUserFormula(store, userDef(n), ui);
  struct {
    const char* op;
    const char* name;
    bool result;
    const char* after;
  } steps[] = {
      {"up", "A", false, "A B C"},   {"down", "C", false, "A B C"}, {"down", "a", true, "B A C"},
      {"up", "C", true, "B C A"},    {"up", "nope", false, "B C A"}, {"delete", "c", true, "B A"},
      {"delete", "c", false, "B A"}, {"delete", "B", true, "A"},     {"delete", "A", true, ""},
  };
  for (const auto& s : steps) {
    std::string op = s.op;
    bool r = op == "delete" ? deleteUserFormula(store, s.name, ui) : moveUserFormula(store, s.name, op == "up", ui);
    EXPECT_EQ(r, s.result) << s.op << " " << s.name;
    EXPECT_EQ(namesOf(store), s.after) << s.op << " " << s.name;
    EXPECT_EQ(namesInFile(store.path), s.after) << s.op << " " << s.name;
  }
  std::string bytes = "x";
  ASSERT_TRUE(readFile(store.path, bytes));
  EXPECT_EQ(bytes, "") << "deleting the only formula saves an empty file";
}

TEST_F(StoreFixture, TemporaryFormulasAreNeverSaved) {
  upsertUserFormula(store, userDef("KEEP"), ui);
  FormulaDef temp = userDef("KEEP", "T:O;");
  addTemporaryFormula(store, temp);
  addTemporaryFormula(store, userDef("TEMP"));
  EXPECT_EQ(namesOf(store), "KEEP KEEP* TEMP*");
  EXPECT_EQ(findFormula(store, "keep")->source, "A:C;") << "lookups keep finding the first";
  EXPECT_EQ(namesInFile(store.path), "KEEP") << "adding a temporary formula does not save";

  upsertUserFormula(store, userDef("OTHER"), ui);
  EXPECT_EQ(namesInFile(store.path), "KEEP OTHER") << "later saves skip temporary formulas";

  // Saving one (as the editor does) makes it permanent in its place.
  FormulaDef edited = *findFormula(store, "TEMP");
  EXPECT_TRUE(edited.temporary);
  upsertUserFormula(store, edited, ui);
  EXPECT_EQ(namesOf(store), "KEEP KEEP* TEMP OTHER");
  EXPECT_EQ(namesInFile(store.path), "KEEP TEMP OTHER");
}

TEST_F(StoreFixture, FavouriteMarkOfABuiltinMakesAUserCopy) {
  bool fav = false;
  ASSERT_TRUE(toggleFavouriteFormula(store, "kdj", ui, fav));
  EXPECT_TRUE(fav);
  const FormulaDef* def = findUserFormula(store, "KDJ");
  ASSERT_NE(def, nullptr);
  EXPECT_TRUE(def->favourite);
  EXPECT_FALSE(def->builtin);
  EXPECT_EQ(def->source, findBuiltinFormula("KDJ")->source);
  EXPECT_EQ(def->params.size(), 2u);
  ASSERT_TRUE(toggleFavouriteFormula(store, "KDJ", ui, fav));
  EXPECT_FALSE(fav);
  EXPECT_FALSE(findUserFormula(store, "KDJ")->favourite);
  EXPECT_FALSE(toggleFavouriteFormula(store, "NOSUCH", ui, fav));
  reload();
  ASSERT_NE(findUserFormula(store, "KDJ"), nullptr);
  EXPECT_FALSE(findUserFormula(store, "KDJ")->favourite);
}

TEST_F(StoreFixture, Rename) {
  upsertUserFormula(store, userDef("A"), ui);
  upsertUserFormula(store, userDef("B"), ui);
  struct {
    const char* from;
    const char* to;
    const char* error;
  } cases[] = {
      {"X", "Y", "没有名为「X」的用户公式。"},
      {"A", "  ", "公式名称不能为空。"},
      {"A", "一二三四五六七八九十甲", "公式名称不能超过 31 个字节（约 10 个汉字）。"},
      {"A", "b", "已存在名为「b」的公式。"},
      {"A", "macd", "已存在名为「macd」的公式。"},
      {"A", "a", ""},  // only the letter case changes
      {"a", "新名字", ""},
  };
  for (const auto& c : cases) {
    std::string error;
    bool ok = renameUserFormula(store, c.from, c.to, ui, error);
    EXPECT_EQ(ok, *c.error == '\0') << c.from << "->" << c.to;
    EXPECT_EQ(error, c.error);
  }
  EXPECT_EQ(namesOf(store), "新名字 B");
  EXPECT_EQ(namesInFile(store.path), "新名字 B");
}

TEST_F(StoreFixture, DamagedFileIsKeptAsideBeforeTheFirstSave) {
  std::string a = formulaBlockText(userDef("A")), b = formulaBlockText(userDef("B"));
  struct {
    const char* what;
    std::string file;
    const char* loaded;
  } cases[] = {
      {"block without its end marker", a.substr(0, a.size() - 10) + b, "A B"},
      {"file cut in the middle of a block", a + b.substr(0, b.size() / 2), "A"},
      {"unknown key and text between blocks", "前言\n" + a + "###FORMULA###\nNAME:C\nCOLOR:9\nTEXT:\nX:C;\n###END###\n",
       "A C"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    reload();
    removeFile(store.path + ".bak");
    dir.write("userformula.txt", c.file);
    loadUserFormulas(store);
    EXPECT_EQ(namesOf(store), c.loaded);
    bool damaged = std::string(c.what).rfind("unknown", 0) != 0;
    EXPECT_EQ(store.keepOriginal, damaged);
    upsertUserFormula(store, userDef("NEW"), ui);
    EXPECT_EQ(namesInFile(store.path), std::string(c.loaded) + " NEW");
    if (damaged) {
      EXPECT_EQ(dir.read("userformula.txt.bak"), c.file) << "the original is kept, byte for byte";
      // Later saves replace the file freely and leave the copy alone.
      upsertUserFormula(store, userDef("NEWER"), ui);
      EXPECT_EQ(dir.read("userformula.txt.bak"), c.file);
    } else {
      EXPECT_FALSE(fileExists(store.path + ".bak"));
    }
  }
}

TEST_F(StoreFixture, FileTooLargeToReadIsNotReplacedUnseen) {
  std::string original = formulaBlockText(userDef("A")) + std::string(4000, '#');
  dir.write("userformula.txt", original);
  store.maxFileBytes = 1000;
  loadUserFormulas(store);
  EXPECT_TRUE(store.formulas.empty());
  EXPECT_TRUE(store.keepOriginal);
  upsertUserFormula(store, userDef("B"), ui);
  EXPECT_EQ(dir.read("userformula.txt.bak"), original);
  EXPECT_EQ(namesInFile(store.path), "B");
}

TEST_F(StoreFixture, FailedSaveWarnsAndKeepsTheChangeInMemory) {
  store.path = dir.file("no such folder/userformula.txt");
  EXPECT_FALSE(upsertUserFormula(store, userDef("A"), ui));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "公式保存失败：无法写入 userformula.txt。");
  EXPECT_EQ(ui.boxes[0].caption, "保存公式");
  EXPECT_TRUE(ui.boxes[0].flags & MsgWarning);
  EXPECT_EQ(namesOf(store), "A");
}

TEST_F(StoreFixture, FailedSaveLeavesTheOldFileIntact) {
  upsertUserFormula(store, userDef("A"), ui);
  std::string before = dir.read("userformula.txt");
  // A directory in the way of the temporary file makes the write fail.
  dir.mkdir("userformula.txt.tmp");
  EXPECT_FALSE(upsertUserFormula(store, userDef("B"), ui));
  EXPECT_EQ(dir.read("userformula.txt"), before);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(StoreFixture, ExportWritesBlocksOfEveryFormulaGiven) {
  std::vector<FormulaDef> list = {*findBuiltinFormula("MACD"), userDef("甲")};
  list[1].temporary = true;  // an export writes what it is given
  std::string path = dir.file("导出.txt");
  ASSERT_TRUE(exportFormulas(list, path));
  EXPECT_EQ(dir.read("导出.txt"), formulaBlockText(list[0]) + formulaBlockText(list[1]));
  EXPECT_FALSE(exportFormulas(list, dir.file("missing/导出.txt")));
  EXPECT_FALSE(fileExists(dir.file("missing/导出.txt")));
}

}  // namespace
}  // namespace zor
