#include "documents/lettore.h"

#include <gtest/gtest.h>

TEST(Lettore, Placeholder) { EXPECT_TRUE(contiene("pendenza", "PEND", modo::qualsiasi)); }
