#include "engine/error.h"

#include <gtest/gtest.h>
#include <string>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(ErrorReporting, LongMessageIsCutToOneThousandCharacters) {
    std::string message(1500, 'x');
    message[999] = 'y';
    CaptureStderr();
    qorError("%s", message.c_str());
    std::string printed = GetCapturedStderr();
    EXPECT_EQ(printed, "QOR error: " + message.substr(0, 1000));
    EXPECT_EQ(std::string(qorGetLastError()), message.substr(0, 1000));
}

TEST(ErrorReporting, MessagesWithoutNewlineRunTogether) {
    CaptureStderr();
    qorError("first");
    qorError("second %d\n", 2);
    EXPECT_EQ(GetCapturedStderr(), "QOR error: firstQOR error: second 2\n");
}

TEST(ErrorReporting, LastErrorHoldsOnlyTheNewestText) {
    CaptureStderr();
    qorError("a rather long message");
    qorError("short");
    GetCapturedStderr();
    EXPECT_STREQ(qorGetLastError(), "short");
}

TEST(ErrorReporting, TextFromDataIsNeverAFormat) {
    CaptureStderr();
    qorError("%s", "100%s %n %d");
    EXPECT_EQ(GetCapturedStderr(), "QOR error: 100%s %n %d");
}

TEST(ErrorReportingDeathTest, FatalWritesPrefixMessageNewlineAndExitsOne) {
    EXPECT_EXIT(qorFatal("code %d", 7), testing::ExitedWithCode(1),
                "^QOR encountered a critical error: code 7\n$");
}
