// Names in settings files match without regard to case as Qt's case folding matched them.
#include <gtest/gtest.h>

#include <QString>

#include "CaseFoldTable.h"

TEST(CaseFoldTable, FoldsEveryCharacterAsQtDoes)
{
    int folded = 0;
    for (char32_t c = 0; c < 0x110000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString s = QString::fromUcs4(&c, 1);
        const QString f = s.toCaseFolded();
        // fromUcs4 drops a U+FEFF, which folds to itself.
        const char32_t expected = f.isEmpty() ? c : f.size() == 1 ? f[0].unicode() : QChar::surrogateToUcs4(f[0], f[1]);
        ASSERT_EQ(CaseFoldTable::Fold(c), expected) << std::hex << static_cast<uint32_t>(c);
        folded += expected != c ? 1 : 0;
    }
    EXPECT_GT(folded, 1000);
}
