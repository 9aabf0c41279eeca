#include "app/openRequestMessage.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include "app/percentDecode.h"

namespace {
using Paths = std::vector<std::string>;

std::optional<Paths> decode(const QByteArray& message) {
    QDataStream in(message);
    return readOpenRequest(in);
}
}  // namespace

TEST(OpenRequestMessage, CarriesEveryByteOfEveryAbsolutePath) {
    const Paths paths = {"/in/Bass Line.pd",
                         "/in/two\nlines\r\n.pd",
                         std::string("/in/nul\0byte.pd", 15),
                         "/in/latin1 \xe9\xff\x80.pd",
                         "/in/%41 stays escaped.pd",
                         "file://localhost/in/Echo.pd",
                         ""};
    EXPECT_EQ(decode(encodeOpenRequest(paths, "/work")), paths);
    EXPECT_EQ(decode(encodeOpenRequest({}, "/work")), Paths{});
}

TEST(OpenRequestMessage, ResolvesRelativePathsAgainstTheSendersWorkingFolder) {
    // The receiver percent-decodes every path: the "%41" of the folder must
    // come out as itself, not as "A", and "%2F" already starts an absolute path.
    const std::string dir = "/data/me/%41lpha \xe9";
    const std::optional<Paths> paths =
        decode(encodeOpenRequest({"Bass.pd", "sub/Lead", "../up.pd", "%2Fin/Echo.pd",
                                  "file:///srv/My%20Bass.pd"},
                                 dir));
    ASSERT_TRUE(paths);
    ASSERT_EQ(paths->size(), 5u);
    EXPECT_EQ(percentDecode((*paths)[0]), dir + "/Bass.pd");
    EXPECT_EQ(percentDecode((*paths)[1]), dir + "/sub/Lead");
    EXPECT_EQ(percentDecode((*paths)[2]), dir + "/../up.pd");
    EXPECT_EQ((*paths)[3], "%2Fin/Echo.pd");
    EXPECT_EQ((*paths)[4], "file:///srv/My%20Bass.pd");  // a URL is no relative path

    EXPECT_EQ(decode(encodeOpenRequest({"Bass.pd"}, "/")), Paths{"/Bass.pd"});
    // Without a known working folder the path goes as it is.
    EXPECT_EQ(decode(encodeOpenRequest({"Bass.pd"}, "")), Paths{"Bass.pd"});
}

TEST(OpenRequestMessage, IsReadOnlyOnceItHasFullyArrived) {
    const QByteArray message = encodeOpenRequest({"/in/Bass.pd", "/in/Lead.pd"}, "/work");
    for (qsizetype size = 0; size < message.size(); ++size)
        EXPECT_FALSE(decode(message.left(size))) << size << " bytes";

    // A part that arrived is left in place for the next try.
    QBuffer arrived;
    arrived.open(QIODevice::ReadWrite);
    arrived.write(message.left(message.size() - 3));
    arrived.seek(0);
    QDataStream in(&arrived);
    EXPECT_FALSE(readOpenRequest(in));
    EXPECT_EQ(arrived.pos(), 0);
    arrived.buffer().append(message.right(3));
    EXPECT_EQ(readOpenRequest(in), (Paths{"/in/Bass.pd", "/in/Lead.pd"}));
}
