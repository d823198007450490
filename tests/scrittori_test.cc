#include "output/scrittori.h"

#include <gtest/gtest.h>

TEST(Scrittori, Placeholder) { EXPECT_EQ(codifica_tabella(tabella{}).size(), 87u * 34u); }
