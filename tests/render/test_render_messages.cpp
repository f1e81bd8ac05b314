// Every message a setup or data file can raise, as plotwright-render prints it.
#include <ostream>
#include <gtest/gtest.h>

#include <string>

#include "render_fixture.h"

namespace pw::test {
namespace {

const char* const Data_Def =
    "[DataFile]\n"
    "A=1 5.1 Alpha\n"
    "B=2 5.1 Beta\n"
    "@G=3\n";

// One page with one scatter graph; `first` goes before the graph's keys (the first
// occurrence of a key in a section wins).
std::string Page_With(const std::string& first) {
  return "[Pages]\nPages=P1\n[P1]\nGraphs=G1\n[P1/G1]\n" + first + "Kind=scatter\nx=A\ny=B\n";
}

const std::string One_Page = Page_With("");

const char* const Good_Data = "1 2 a\n2 3 b\n3 1 a\n";

std::string Many(const std::string& prefix, int n, const std::string& value) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += prefix + std::to_string(i) + "=" + value + "\n";
  return s;
}

struct Message_Case {
  const char* name;
  std::string setup;  // the whole setup file
  std::string data;   // the data file d.dat
  std::string err;    // standard error, to the character
};

std::vector<Message_Case> Cases() {
  const std::string def = Data_Def;
  const std::string page = One_Page;
  auto with = [&](const std::string& first) { return def + Page_With(first); };
  return {
      {"WrongGraphKind", with("Kind=X\n"), Good_Data,
       "fatal error: Wrong graph kind in [P1/G1]: X\n"},
      {"MissingGraphKind", def + "[Pages]\nPages=P1\n[P1]\nGraphs=G1\n", Good_Data,
       "fatal error: Wrong graph kind in [P1/G1]: N\n"},
      {"BadBoolean", with("Grid=on\n"), Good_Data,
       "error: Bad Boolean constant: on\n"},
      {"TooManySelectors", "[DataFile]\nA=1 5.1\n" + Many("@S", 65, "3") + page, Good_Data,
       "fatal error: Too many selectors in file definition\n"},
      {"TooManyColumns", "[DataFile]\n" + Many("C", 129, "1 5.1") + page, Good_Data,
       "fatal error: Too many columns in file definition\n"},
      {"ZeroColumns", "[DataFile]\n@G=3\n" + page, Good_Data,
       "fatal error: Zero columns in file definition\n"},
      {"FilterWithOneValue", def + "[Filters]\nA=5\n" + page, Good_Data,
       "fatal error: Two values required in a filter\n"},
      {"WrongFilterLimits", def + "[Filters]\nB=5 5\n" + page, Good_Data,
       "fatal error: Wrong filter limits\n"},
      {"WrongTableColumnIndex", "[DataFile]\nA=x 5.1 Alpha\n" + page, Good_Data,
       "error: Wrong table column index: 5.1 Alpha\n"},
      {"WrongSelectorIndex", def + "@H=0 station\n" + page, Good_Data,
       "error: Wrong table column index: station\n"},
      {"NoPoints", def + page, "; only a comment\n\n/ and another\n",
       "fatal error: No points in data buffer loaded from d.dat\n"},
      {"WrongX", with("x=Q\n"), Good_Data,
       "error: Missing or wrong X definition in [P1/G1/]: Q\n"},
      {"MissingX", def + "[Pages]\nPages=P1\n[P1]\nGraphs=G1\n[P1/G1]\nKind=s\ny=B\n", Good_Data,
       "error: Missing or wrong X definition in [P1/G1/]: ?\n"},
      {"WrongY", with("y=Q\n"), Good_Data,
       "error: Missing or wrong Y definition in [P1/G1/]: Q\n"},
      {"WrongMarker", with("Marker=circle\n"), Good_Data,
       "error: Wrong Marker definition in [P1/G1/]: CIRCLE\n"},
      {"WrongColor", with("Layers=L\n") + "[P1/G1/L]\nColor=\n", Good_Data,
       "error: Wrong Color definition in [P1/G1/L]: \n"},
      {"SelectorNotDefined", with("Required=A Q\n"), Good_Data,
       "error: Selector not defined: Q\n"},
      {"WrongKeyLine", with("Key1=@G\n"), Good_Data,
       "error: Wrong Key line in [P1/G1/]\n"},
      {"WrongKeyDefinition", with("Key2=G a\n"), Good_Data,
       "error: Wrong Key definition in [P1/G1/]: G\n"},
      {"NoSuchKey", with("Hint=@G @Q\n"), Good_Data, "error: No such key: @Q\n"},
      {"MoreThanOneHistLayer",
       def + "[Pages]\nPages=P1\n[P1]\nGraphs=H\n[P1/H]\nKind=hist\nx=A\nLayers=L1 L2\n",
       Good_Data, "error: More than 1 Hist layer\n"},
      {"ErrorsWhileDrawingPoints", with("logx=1\nxlo=-1\nxhi=1\n"), "0 2 a\n1 3 b\n",
       "error: Errors occurred while draving points\n"},
      {"BadNumberInData", def + page, "1 2 a\n1 x b\n",
       "error: 'x' is not a valid floating point value\n"},
      {"NulInDataField", def + page, std::string("1 2 a\n1 x\0y b\n", 14),
       std::string("error: 'x\0y' is not a valid floating point value\n", 49)},
      {"BadTimeInData", def + page, "12:30 2 a\n",
       "error: '' is not a valid floating point value\n"},
      {"BadIntegerInDefinition", "[DataFile]\nA=3x 5.1\n" + page, Good_Data,
       "error: '3x' is not a valid integer value\n"},
      {"BadDateInData", "[Plotwright]\nDateCol=4\n" + def + page, "1 2 a 2020-01-05\n",
       "error: '2020-01-05' is not a valid date\n"},
  };
}

void PrintTo(const Message_Case& c, std::ostream* os) { *os << c.name; }

class Render_Messages : public Render_Test,
                        public ::testing::WithParamInterface<Message_Case> {};

TEST_P(Render_Messages, ExactMessageAndStatus) {
  const Message_Case& c = GetParam();
  Write("s.ini", c.setup);
  Write("d.dat", c.data);
  const Run_Result r = Run("s.ini d.dat");
  EXPECT_EQ(r.Err, c.err);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Out, "");
}

INSTANTIATE_TEST_SUITE_P(All, Render_Messages, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Render_Test, SetupFileNotFound) {
  Write("d.dat", Good_Data);
  const Run_Result r = Run("none.ini d.dat");
  EXPECT_EQ(r.Err, "error: File not found: none.ini\n");
  EXPECT_EQ(r.Status, 1);
}

TEST_F(Render_Test, SetupFileIsAFolder) {
  std::filesystem::create_directories(dir_ / "folder.ini");
  Write("d.dat", Good_Data);
  const Run_Result r = Run("folder.ini d.dat");
  EXPECT_EQ(r.Err, "error: File not found: folder.ini\n");
  EXPECT_EQ(r.Status, 1);
}

TEST_F(Render_Test, DataFileMissing) {
  Write("s.ini", Data_Def + One_Page);
  const Run_Result r = Run("s.ini sub/none.dat");
  EXPECT_EQ(r.Err, "fatal error: Missing file: sub/none.dat\n");
  EXPECT_EQ(r.Status, 1);
}

}  // namespace
}  // namespace pw::test
