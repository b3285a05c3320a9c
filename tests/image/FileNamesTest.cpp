// File names as the system's bytes, and how they and other values show in a message.
#include <gtest/gtest.h>

#include "FileNames.h"

// Any bytes come back from the round trip unchanged; valid UTF-8 reads as its text, and what
// would hide or cut a message shows as an escape.
TEST(FileNames, AnyBytesSurviveAndShowVisibly) {
    const struct {
        const char* what;
        QByteArray bytes;
        const char* shown;  // UTF-8
    } rows[] = {
        {"plain", "unit7.trncfg", "unit7.trncfg"},
        {"UTF-8", "\xE7\x94\xB5\xE6\x9C\xBA.trncfg", "电机.trncfg"},
        {"outside the first plane", "\xF0\x9F\x94\xA7", "\xF0\x9F\x94\xA7"},
        {"byte 0xFF", "unit\xFF.trncfg", "unit\\xff.trncfg"},
        {"overlong slash", "\xC0\xAF", "\\xc0\\xaf"},
        {"encoded surrogate", "\xED\xA0\x80", "\\xed\\xa0\\x80"},
        {"beyond the last code point", "\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
        {"sequence cut short", "a\xE7\x94", "a\\xe7\\x94"},
        {"NUL and controls", QByteArray("a\0b\tc\x1B\x7F", 7), "a\\x00b\\x09c\\x1b\\x7f"},
        {"C1 control in UTF-8", "\xC2\x85", "\\u0085"},
        {"line separator", "\xE2\x80\xA8", "\\u2028"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QString name = fileNameFromSystem(row.bytes);
        EXPECT_EQ(fileNameToSystem(name), row.bytes);
        EXPECT_EQ(visibleText(name), QString::fromUtf8(row.shown));
    }
}
