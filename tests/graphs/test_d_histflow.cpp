// Under- and overflow of histogram layers: the counts beside the bins and the "Flow" key.
#include "graphs/d_histflow.h"

#include <gtest/gtest.h>

#include <string>

#include "graph_test_util.h"
#include "graphs/d_histgraph.h"

namespace pw {
namespace {

const char* const Data_File_Def = "[DataFile]\nV=1 2.2 value\n@S=2\n";

class Flow_Fixture : public graph_test::Loaded_Graph<TC_Hist_Graph> {
 public:
  Flow_Fixture(const std::string& keys, const std::string& data)
      : Loaded_Graph(Data_File_Def, "x=V\n" + keys, data, 300, 200, false) {}
  Hist_Flow Flow(int layer = 1) { return Hist_Layer_Flow(graph_, layer, buffer_); }
};

TEST(HistFlow, FlowText) {
  EXPECT_EQ(Flow_Text(0, 0), "");
  EXPECT_EQ(Flow_Text(3, 0), "  u=3");
  EXPECT_EQ(Flow_Text(0, 12), "  o=12");
  EXPECT_EQ(Flow_Text(1, 2), "  u=1  o=2");
}

// Values on a limit go to the outer bins on either side (LeftIn or not); points left out by
// the Key are not counted at all.
const char* const Flow_Data =
    "-1 A\n-0.01 A\n0 A\n1 A\n3.99 A\n4 A\n4.01 A\n7 A\n? A\n-50 B\n50 B\n? B\n";

TEST(HistFlow, CountsBesideTheBins) {
  struct Case {
    const char* keys;
    int under, over, missing;
    const char* flow_line_end;  // of the statistics line with Flow
  } cases[] = {
      {"xlo=0\nxhi=4\nBins=4\nKey1=@S A\n", 2, 2, 1, "mx=7  u=2  o=2"},
      {"xlo=0\nxhi=4\nBins=4\nKey1=@S A\nLeftIn=yes\n", 2, 2, 1, "mx=7  u=2  o=2"},
      {"xlo=-1\nxhi=4\nBins=5\nKey1=@S A\n", 0, 2, 1, "mx=7  o=2"},
      {"xlo=-1\nxhi=7\nBins=8\nKey1=@S A\n", 0, 0, 1, "mx=7"},
      {"Key1=@S A\n", 0, 0, 1, "mx=7"},  // automatic limits: nothing outside
      {"Bins=3\n", 0, 0, 2, "mx=50"},    // every point, automatic
      {"xlo=0\nxhi=4\nBins=4\n", 3, 3, 2, "mx=50  u=3  o=3"},
      // A logarithmic axis changes only the ticks: values are binned as they are, so those
      // at and below 0 are underflow like any other below the limits.
      {"logx=yes\nxlo=0.5\nxhi=5\nBins=9\nKey1=@S A\n", 3, 1, 1, "mx=7  u=3  o=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Flow_Fixture plain(c.keys, Flow_Data);
    plain.Draw();
    const Hist_Flow flow = plain.Flow();
    EXPECT_TRUE(flow.counted);
    EXPECT_EQ(flow.underflow, c.under);
    EXPECT_EQ(flow.overflow, c.over);
    EXPECT_EQ(flow.missing, c.missing);
    Flow_Fixture with(std::string(c.keys) + "Flow=yes\n", Flow_Data);
    with.Draw();
    const std::string& line = with.Graph().Stat_Line;
    const std::string end = c.flow_line_end;
    ASSERT_GE(line.size(), end.size());
    EXPECT_EQ(line.substr(line.size() - end.size()), end) << line;
    // Without Flow the line is the one before it, unchanged.
    EXPECT_EQ(line.substr(0, plain.Graph().Stat_Line.size()), plain.Graph().Stat_Line);
    EXPECT_EQ(plain.Graph().Stat_Line.find("  u="), std::string::npos);
  }
}

TEST(HistFlow, NotCountedBeforeTheBinsExist) {
  Flow_Fixture f("Key1=@S A\n", Flow_Data);  // automatic limits and bins, never drawn
  const Hist_Flow flow = f.Flow();
  EXPECT_FALSE(flow.counted);
  EXPECT_EQ(flow.missing, 1);
}

TEST(HistFlow, FlowOffWithParamsOff) {
  Flow_Fixture f("xlo=0\nxhi=4\nBins=4\nFlow=yes\nParams=no\n", Flow_Data);
  f.Draw();
  EXPECT_EQ(f.Graph().Stat_Line, "");
}

}  // namespace
}  // namespace pw
