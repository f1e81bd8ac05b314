#include "data/d_textdict.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pw {
namespace {

TEST(TextDictionary, NumbersTextsInTheOrderFirstAdded) {
  TC_Text_Dictionary dictionary;
  EXPECT_EQ(dictionary.Find("North"), TC_Text_Dictionary::None);
  EXPECT_EQ(dictionary.Add("North"), 0u);
  EXPECT_EQ(dictionary.Add("South"), 1u);
  EXPECT_EQ(dictionary.Add("North"), 0u);
  EXPECT_EQ(dictionary.Add(""), 2u);
  EXPECT_EQ(dictionary.Add("north"), 3u);  // letter case counts
  EXPECT_EQ(dictionary.Size(), 4u);
  EXPECT_EQ(dictionary.Find("South"), 1u);
  EXPECT_EQ(dictionary.Find(""), 2u);
  EXPECT_EQ(dictionary.Text(3), "north");
  EXPECT_EQ(dictionary.Find(std::string(300, 'x')), TC_Text_Dictionary::None);
}

// Many texts: the table grows and the storage spans several blocks; texts handed out before
// stay where they were.
TEST(TextDictionary, ManyTextsKeepTheirNumbersAndPlaces) {
  TC_Text_Dictionary dictionary;
  std::vector<std::string_view> seen;
  for (int i = 0; i < 50000; ++i) {
    const std::string text = "t" + std::to_string(i * 7919 % 100003);
    ASSERT_EQ(dictionary.Add(text), static_cast<std::uint32_t>(i));
    seen.push_back(dictionary.Text(static_cast<std::uint32_t>(i)));
  }
  for (int i = 0; i < 50000; i += 997) {
    const std::string text = "t" + std::to_string(i * 7919 % 100003);
    EXPECT_EQ(dictionary.Find(text), static_cast<std::uint32_t>(i));
    EXPECT_EQ(seen[i], text);
  }
  const std::string longest(TC_Text_Dictionary::Max_Text_Bytes, 'L');
  EXPECT_EQ(dictionary.Text(dictionary.Add(longest)), longest);
  dictionary.Clear();
  EXPECT_EQ(dictionary.Size(), 0u);
  EXPECT_EQ(dictionary.Find("t0"), TC_Text_Dictionary::None);
  EXPECT_EQ(dictionary.Add("again"), 0u);
}

}  // namespace
}  // namespace pw
