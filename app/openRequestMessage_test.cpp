#include "app/openRequestMessage.h"

#include <gtest/gtest.h>

#include <QBuffer>

namespace {
using namespace std::string_literals;
using Paths = std::vector<std::string>;

std::optional<Paths> decode(const QByteArray& message) {
    QDataStream in(message);
    return readOpenRequest(in);
}

// Every byte arrives; relative paths get the sender's folder, its "%" kept as itself. A message
// is read only once it has fully arrived, each part left in place until then.
TEST(OpenRequestMessage, CarriesEveryPathWithRelativeOnesResolvedOnceFullyArrived) {
    const std::string dir = "/data/me/%41lpha \xe9";
    const Paths sent = {"Bass.pd",
                        "sub/Lead",
                        "../up.pd",
                        "%2Fin/Echo.pd",
                        "file:Echo.pd",
                        "/in/two\nlines\0\xff.pd"s,
                        ""};
    QBuffer arrived;
    arrived.open(QIODevice::ReadWrite);
    QDataStream in(&arrived);
    for (const char byte : encodeOpenRequest(sent, dir)) {
        ASSERT_FALSE(readOpenRequest(in)) << arrived.size() << " bytes";
        EXPECT_EQ(arrived.pos(), 0);
        arrived.buffer().append(byte);
    }
    const std::optional<Paths> paths = readOpenRequest(in);
    ASSERT_TRUE(paths);
    EXPECT_EQ(*paths, (Paths{dir + "/Bass.pd", dir + "/sub/Lead", dir + "/../up.pd",
                             dir + "/%2Fin/Echo.pd", dir + "/file:Echo.pd", sent[5], ""}));
    EXPECT_EQ(decode(encodeOpenRequest({"Bass.pd"}, "/")), Paths{"/Bass.pd"});
    // Without a known working folder the path goes as it is.
    EXPECT_EQ(decode(encodeOpenRequest({"Bass.pd"}, "")), Paths{"Bass.pd"});
}

}  // namespace
