#include "design/attribute_list.h"

#include <gtest/gtest.h>

namespace lh {
namespace {

TEST(AttributeList, SetReplacesEveryEqualKeyAndAppends) {
  AttributeList a;
  a.setInt("Weight", 1);
  a.setInt("Material", 2);
  a.setInt("weight", 3);  // keys compare without case
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a.entries()[0].key, "Material");
  EXPECT_EQ(a.entries()[1].key, "weight");
  EXPECT_EQ(a.getInt("WEIGHT"), 3);
}

TEST(AttributeList, PointsTextAndRemoval) {
  AttributeList a;
  a.setPoint("NeedleEnds", -5, 7);
  a.setText("vp3keywords", "rose");
  EXPECT_EQ(a.getPoint("needleends"), (std::pair<std::int32_t, std::int32_t>{-5, 7}));
  EXPECT_EQ(a.getText("VP3KEYWORDS"), "rose");
  EXPECT_FALSE(a.getInt("missing").has_value());
  EXPECT_EQ(a.remove("NEEDLEENDS"), 1);
  EXPECT_EQ(a.remove("NeedleEnds"), 0);
}

}  // namespace
}  // namespace lh
