#include "MessagePresenter.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorDisplayText, FullStopOnlyAfterCharactersAboveIt)
{
    const std::pair<QString, QString> cases[] = {
        {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
        {"Socket Error # 10051\r\nNetwork is unreachable.",
         "Socket Error # 10051\r\nNetwork is unreachable."},
        {"Socket Error # 10066\r\nDirectory not empty", "Socket Error # 10066\r\nDirectory not empty."},
        {"Socket Error # 10035\r\nOperation would block. ",
         "Socket Error # 10035\r\nOperation would block. "},
        {"Socket Error # 10001\r\n", "Socket Error # 10001\r\n"},
        {"ends with a comma,", "ends with a comma,"},
        {"ends with a slash/", "ends with a slash/."},
        {"读取失败", "读取失败."},
        {"", ""},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(errorDisplayText(text), shown) << text.toStdString();
}

} // namespace
