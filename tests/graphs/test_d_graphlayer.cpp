#include <ostream>
#include "graphs/d_graphlayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/D_Error.h"
#include "data/d_filedef.h"
#include "graphs/graph_test_util.h"

namespace pw {
namespace {

using graph_test::Temp_Setup;

constexpr const char* Data_Def = "[DataFile]\nHeight=1 1.0\nWeight=2 1.0\n@Sex=3\n@Site=4\n";

enum class Kind { Hist, Scat };

// Reads one layer whose graph section "G" and own section "G/L" hold the given lines.
// Returns the error message, or "" when the reading succeeded.
std::string Read_Layer(TC_Graph_Layer& layer, const std::string& graph_lines,
                       const std::string& layer_lines) {
  Temp_Setup file(std::string(Data_Def) + "[G]\n" + graph_lines + "[G/L]\n" + layer_lines);
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  try {
    layer.Read_Setup(ini, {"Pages", "G", "G/L"}, def);
  } catch (const Error& e) {
    EXPECT_FALSE(e.Fatal());
    return e.Message();
  }
  return "";
}

std::unique_ptr<TC_Graph_Layer> Make(Kind kind) {
  if (kind == Kind::Hist) return std::make_unique<TC_Hist_Layer>();
  return std::make_unique<TC_Scat_Layer>();
}

struct Message_Case {
  const char* name;
  Kind kind;
  const char* graph_lines;
  const char* layer_lines;
  const char* message;
};
// Test names show the case name, not the bytes of the case.
void PrintTo(const Message_Case& c, std::ostream* os) { *os << c.name; }

class Layer_Message_Test : public testing::TestWithParam<Message_Case> {};

TEST_P(Layer_Message_Test, ExactMessage) {
  const Message_Case& c = GetParam();
  auto layer = Make(c.kind);
  EXPECT_EQ(Read_Layer(*layer, c.graph_lines, c.layer_lines), c.message);
}

constexpr const char* XY = "x=Height\ny=Weight\n";

INSTANTIATE_TEST_SUITE_P(
    GraphLayer, Layer_Message_Test,
    testing::Values(
        Message_Case{"EmptyColor", Kind::Hist, XY, "Color=\n", "Wrong Color definition in [G/L]: "},
        Message_Case{"BadColor", Kind::Scat, XY, "Color=clRed\n",
                     "Wrong Color definition in [G/L]: clRed"},
        Message_Case{"BadColorInGraphSection", Kind::Hist, "x=Height\nColor=pink\n", "",
                     "Wrong Color definition in [G/L]: pink"},
        Message_Case{"RequiredUnknown", Kind::Hist, XY, "Required=Weight Bogus\n",
                     "Selector not defined: Bogus"},
        Message_Case{"BannedUnknown", Kind::Scat, XY, "Banned=height\n",
                     "Selector not defined: height"},
        Message_Case{"KeyOneWord", Kind::Hist, XY, "Key2=@Sex\n", "Wrong Key line in [G/L]"},
        Message_Case{"KeyWithoutAt", Kind::Hist, XY, "Key2=Sex M\n",
                     "Wrong Key definition in [G/L]: Sex"},
        Message_Case{"Key3Unknown", Kind::Scat, XY, "Key3=@Age 12\n",
                     "Wrong Key definition in [G/L]: @Age"},
        Message_Case{"HintUnknown", Kind::Scat, XY, "Hint=@Sex @Nope\n", "No such key: @Nope"},
        Message_Case{"HistXAbsent", Kind::Hist, "", "",
                     "Missing or wrong X definition in [G/L]: ?"},
        Message_Case{"HistXWrong", Kind::Hist, "", "x=Depth\n",
                     "Missing or wrong X definition in [G/L]: Depth"},
        Message_Case{"ScatXAbsent", Kind::Scat, "y=Weight\n", "",
                     "Missing or wrong X definition in [G/L]: ?"},
        Message_Case{"ScatYAbsent", Kind::Scat, "x=Height\n", "",
                     "Missing or wrong Y definition in [G/L]: ?"},
        Message_Case{"ScatYWrong", Kind::Scat, "x=Height\n", "y=weight\n",
                     "Missing or wrong Y definition in [G/L]: weight"},
        Message_Case{"MarkerWrong", Kind::Scat, XY, "Marker=circle\n",
                     "Wrong Marker definition in [G/L]: CIRCLE"},
        Message_Case{"MarkerEmpty", Kind::Scat, XY, "Marker=\n",
                     "Wrong Marker definition in [G/L]: "},
        // The first bad key in reading order is the one reported.
        Message_Case{"ColorBeforeRequired", Kind::Hist, XY, "Color=x\nRequired=Bogus\n",
                     "Wrong Color definition in [G/L]: x"},
        Message_Case{"RequiredBeforeBanned", Kind::Hist, XY, "Required=R1\nBanned=B1\n",
                     "Selector not defined: R1"},
        Message_Case{"BannedBeforeKey", Kind::Hist, XY, "Banned=B1\nKey1=@Sex\n",
                     "Selector not defined: B1"},
        Message_Case{"Key1BeforeKey2", Kind::Hist, XY, "Key1=A B\nKey2=@Sex\n",
                     "Wrong Key definition in [G/L]: A"},
        Message_Case{"KeyBeforeHint", Kind::Hist, XY, "Hint=@No\nKey3=@Sex\n",
                     "Wrong Key line in [G/L]"},
        Message_Case{"HintBeforeX", Kind::Hist, "", "Hint=@No\n", "No such key: @No"},
        Message_Case{"XBeforeY", Kind::Scat, "", "", "Missing or wrong X definition in [G/L]: ?"},
        Message_Case{"YBeforeMarker", Kind::Scat, "x=Height\n", "Marker=zz\n",
                     "Missing or wrong Y definition in [G/L]: ?"}),
    [](const testing::TestParamInfo<Message_Case>& info) { return std::string(info.param.name); });

TEST(GraphLayer, DefaultsUnderAGraphWithX) {
  TC_Hist_Layer hist;
  EXPECT_EQ(Read_Layer(hist, "x=Height\n", ""), "");
  EXPECT_EQ(hist.Color, 0x00FF00);
  EXPECT_EQ(hist.X_Col, 1);
  EXPECT_EQ(hist.Fill_Kind, 0);
  EXPECT_TRUE(hist.Sel.Required.none());
  EXPECT_TRUE(hist.Sel.Banned.none());
  EXPECT_EQ(hist.Sel.Key_Sel, (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(hist.Hint_Sel, (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(hist.Section(), "G/L");

  TC_Scat_Layer scat;
  EXPECT_EQ(Read_Layer(scat, XY, ""), "");
  EXPECT_EQ(scat.Color, 0x00FF00);
  EXPECT_EQ(scat.X_Col, 1);
  EXPECT_EQ(scat.Y_Col, 2);
  EXPECT_EQ(scat.Marker_Kind, 7);  // PLUS1
}

struct Color_Case {
  const char* text;
  Color expected;
};

TEST(GraphLayer, Colours) {
  const Color_Case cases[] = {{"purple", 0x800080},
                              {"8000FF", 0xFF0080},
                              {"LIME", 0x00FF00},
                              {"ff0000", 0x0000FF},
                              {"Default", 0x20000000}};
  for (const Color_Case& c : cases) {
    TC_Scat_Layer layer;
    EXPECT_EQ(Read_Layer(layer, XY, std::string("Color=") + c.text + "\n"), "") << c.text;
    EXPECT_EQ(layer.Color, c.expected) << c.text;
  }
}

TEST(GraphLayer, LayerSectionOverridesTheGraphSection) {
  TC_Scat_Layer layer;
  EXPECT_EQ(
      Read_Layer(layer, "x=Height\ny=Height\nColor=Red\nMarker=box1\n", "y=Weight\nColor=Blue\n"),
      "");
  EXPECT_EQ(layer.Color, 0xFF0000);
  EXPECT_EQ(layer.Y_Col, 2);
  EXPECT_EQ(layer.Marker_Kind, 3);
}

TEST(GraphLayer, MarkerNamesInAnyCase) {
  const std::pair<const char*, int> cases[] = {{"line", 2}, {"Point", 1}, {"EX2", 6}, {"plus2", 8}};
  for (const auto& [name, kind] : cases) {
    TC_Scat_Layer layer;
    EXPECT_EQ(Read_Layer(layer, XY, std::string("Marker=") + name + "\n"), "") << name;
    EXPECT_EQ(layer.Marker_Kind, kind) << name;
  }
}

TEST(GraphLayer, RequiredAndBannedSets) {
  TC_Hist_Layer layer;
  EXPECT_EQ(Read_Layer(layer, "x=Height\n", "Required=Weight   Height\nBanned=Weight\n"), "");
  EXPECT_EQ(layer.Sel.Required.count(), 2u);
  EXPECT_TRUE(layer.Sel.Required.test(1));
  EXPECT_TRUE(layer.Sel.Required.test(2));
  EXPECT_EQ(layer.Sel.Banned.count(), 1u);
  EXPECT_TRUE(layer.Sel.Banned.test(2));
}

TEST(GraphLayer, KeyLines) {
  TC_Hist_Layer layer;
  EXPECT_EQ(Read_Layer(layer, "x=Height\n", "Key2=@Sex M F\nKey3=@Site North\n"), "");
  EXPECT_EQ(layer.Sel.Key_Sel, (std::array<int, 3>{0, 1, 2}));
  EXPECT_EQ(layer.Sel.Key_Text[1], "M");
  EXPECT_EQ(layer.Sel.Key_Text[2], "North");
}

TEST(GraphLayer, HintKeepsThreeNames) {
  TC_Scat_Layer layer;
  EXPECT_EQ(Read_Layer(layer, XY, "Hint=@Site @Sex @Site @Nope\n"), "");
  EXPECT_EQ(layer.Hint_Sel, (std::array<int, 3>{2, 1, 2}));
}

TEST(GraphLayer, FillIsAnyInteger) {
  const std::pair<const char*, int> cases[] = {{"3", 3}, {"9", 9}, {"-1", -1}, {"abc", 0}};
  for (const auto& [text, kind] : cases) {
    TC_Hist_Layer layer;
    EXPECT_EQ(Read_Layer(layer, "x=Height\n", std::string("Fill=") + text + "\n"), "") << text;
    EXPECT_EQ(layer.Fill_Kind, kind) << text;
  }
}

TEST(GraphLayer, FieldsReadBeforeTheErrorKeepTheirValues) {
  TC_Scat_Layer layer;
  EXPECT_EQ(Read_Layer(layer, "", "Color=Red\nRequired=Height\nKey1=@Sex F\nx=Weight\n"),
            "Missing or wrong Y definition in [G/L]: ?");
  EXPECT_EQ(layer.Color, 0x0000FF);
  EXPECT_TRUE(layer.Sel.Required.test(1));
  EXPECT_EQ(layer.Sel.Key_Sel[0], 1);
  EXPECT_EQ(layer.X_Col, 2);
}

}  // namespace
}  // namespace pw
