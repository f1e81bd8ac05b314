// The four axis limits and the two logarithmic flags: the base of every graph.
#pragma once

namespace pw {

class TC_Graph_Range {
 public:
  virtual ~TC_Graph_Range() = default;

  long double XLo = 0;
  long double XHi = 0;
  long double YLo = 0;
  long double YHi = 0;
  bool LogX = false;
  bool LogY = false;
};

}  // namespace pw
