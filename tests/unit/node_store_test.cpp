#include "core/node_store.h"

#include <gtest/gtest.h>

using namespace rill;

TEST(NodeStore, CopyingAHandleTakesOneMoreReference) {
    NodeRef a = makeAtom("123");
    NodeRef b = a;
    EXPECT_EQ(referenceCount(a), 2u);
}
