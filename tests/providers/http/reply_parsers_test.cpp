// The reply parsers on the cases that decide their status and message.
#include "providers/http/reply_parsers.h"

#include <vantrel/vantrel.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace vantrel {
namespace {

constexpr SHORT kNone = VANTREL_STATUS_NO_OUTCOME;
constexpr SHORT kGood = VANTREL_STATUS_ACCEPTED;
constexpr SHORT kBad = VANTREL_STATUS_SERVICE_ERROR;

struct Outcome {
    SHORT status;
    std::string message;
};

TEST(UpdatedCountReply, PhraseForAllHostsThenErrorThenNothing) {
    const std::string check = "Check your configuration parameters!";
    const std::string error = "Error Occurred While Processing Request - " + check;
    const struct {
        const char* reply;
        int hosts;
        Outcome want;
    } cases[] = {
        {"Updated 1 hostname", 1, {kGood, "Updated 1 hostname"}},
        {"ok: Updated 3 hostnames.", 3, {kGood, "Updated 3 hostnames"}},
        {"Updated 3 hostnames", 2, {kNone, check}},
        {"Updated 1 hostname; Error Occurred", 2, {kBad, error}},
        // Success is looked for before the error.
        {"Updated 2 hostnames, Error Occurred", 2, {kGood, "Updated 2 hostnames"}},
        {"updated 1 hostname", 1, {kNone, check}},
        {"Updated 0 hostnames", 0, {kGood, "Updated 0 hostnames"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        Text message;
        EXPECT_EQ(ParseUpdatedCountReply(Text(c.reply), c.hosts, message), c.want.status);
        EXPECT_EQ(message.View(), c.want.message);
    }
}

TEST(CodeLineReply, ReadsCodeOfSecondLine) {
    const struct {
        const char* reply;
        Outcome want;
    } cases[] = {
        {"HTTP reply\n0=Success", {kGood, "h ::\tSuccess"}},
        {"x\n1=IP address not changed", {kGood, "h ::\tIP address not changed"}},
        {"x\n2=Invalid password", {kBad, "h ::\tInvalid password"}},
        {"x\n 3 =Login not found", {kBad, "h ::\tLogin not found"}},
        {"x\nabc=letters read as 0", {kGood, "h ::\tletters read as 0"}},
        {"x\n+1=signed", {kGood, "h ::\tsigned"}},
        {"x\n  =blank code", {kNone, "h ::\tblank code"}},
        {"x\n10=a=b\nmore", {kBad, "h ::\ta=b\nmore"}},
        {"one line only", {kNone, "h ::\tone line only"}},
        {"x\nno equals sign", {kNone, "h ::\tno equals sign"}},
        // The CR of the first line goes with it; one after the text stays.
        {"x\r\n0=Success\r", {kGood, "h ::\tSuccess\r"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        Text message;
        EXPECT_EQ(ParseCodeLineReply(Text(c.reply), Text("h"), message), c.want.status);
        EXPECT_EQ(message.View(), c.want.message);
    }
}

constexpr ReplyCode kDynamPhrases[] = {
    {"Error", kBad},
    {"Duplicate", kBad},
    {"Update", kGood},
};
constexpr ReplyCode kDynupPhrases[] = {
    {"Password Incorrect", kBad},
    {"Update complete!", kGood},
};

TEST(KeywordReply, FirstPhraseFoundDecides) {
    const KeywordSearch dynam{kDynamPhrases, "<br>"};
    const KeywordSearch dynup{kDynupPhrases};
    const struct {
        const char* name;
        KeywordSearch search;
        const char* reply;
        Outcome want;
    } cases[] = {
        {"update inside a word", dynam, "Updated fine", {kGood, "h ::\tUpdated fine"}},
        {"error before update", dynam, "Update Error", {kBad, "h ::\tUpdate Error"}},
        {"lower-case error", dynam, "error, Update", {kGood, "h ::\terror, Update"}},
        {"no keyword", dynam, "hello", {kNone, "h ::\thello"}},
        {"br removed", dynam, "a<br>b<br>", {kNone, "h ::\tab"}},
        {"capital BR kept", dynam, "a<BR>Update", {kGood, "h ::\ta<BR>Update"}},
        // Removing "<br>" can join a keyword together.
        {"keyword across a tag", dynam, "Err<br>or", {kBad, "h ::\tError"}},
        {"complete", dynup, "Update complete! 1.2.3.4", {kGood, "h ::\tUpdate complete! 1.2.3.4"}},
        {"password first",
         dynup,
         "Update complete! Password Incorrect",
         {kBad, "h ::\tUpdate complete! Password Incorrect"}},
        {"no exclamation mark", dynup, "Update complete", {kNone, "h ::\tUpdate complete"}},
        {"br kept for dynup", dynup, "x<br>", {kNone, "h ::\tx<br>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Text message;
        EXPECT_EQ(ParseKeywordReply(Text(c.reply), Text("h"), c.search, message), c.want.status);
        EXPECT_EQ(message.View(), c.want.message);
    }
}

constexpr ReplyCode kLineCodes[] = {
    {"good", kGood},  {"nochg", kGood}, {"badauth", kBad},
    {"nohost", kBad}, {"911", kBad},    {"!yours", kBad},
};

TEST(LinePerHostReply, HighestRecognisedStatusAndOnePartPerHost) {
    const struct {
        const char* name;
        std::initializer_list<const char*> hosts;
        const char* reply;
        Outcome want;
    } cases[] = {
        {"good and nochg", {"a", "b"}, "good 1\nnochg 1", {kGood, "a ::\tgood 1\nb ::\tnochg 1"}},
        {"4 never lowered", {"a", "b"}, "badauth\ngood 1", {kBad, "a ::\tbadauth\nb ::\tgood 1"}},
        {"capitals", {"a"}, "GOOD 1.2.3.4", {kGood, "a ::\tGOOD 1.2.3.4"}},
        {"unknown word", {"a", "b"}, "<html>\nnochg", {kGood, "a ::\t<html>\nb ::\tnochg"}},
        {"nothing known", {"a"}, "<html> page", {kNone, "a ::\t<html> page"}},
        {"word alone", {"a"}, "911", {kBad, "a ::\t911"}},
        {"leading space", {"a"}, " good", {kNone, "a ::\t good"}},
        {"word with sign", {"a"}, "!yours x", {kBad, "a ::\t!yours x"}},
        {"fewer lines", {"a", "b", "c"}, "good 1\n", {kGood, "a ::\tgood 1\nb ::\t\nc ::\t"}},
        // A CR stays in the line, and in a lone word it spoils the match.
        {"cr stays", {"a", "b"}, "nochg\r\ngood 1\r\n", {kGood, "a ::\tnochg\r\nb ::\tgood 1\r"}},
        {"cr in lone word", {"a"}, "good\r\n", {kNone, "a ::\tgood\r"}},
        {"hosts trimmed", {" a ", "b\t"}, "good\ngood", {kGood, "a ::\tgood\nb ::\tgood"}},
        {"no hosts", {}, "good", {kNone, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextList hosts;
        for (const char* host : c.hosts) {
            hosts.Add(Text(host));
        }
        Text message;
        EXPECT_EQ(ParseLinePerHostReply(Text(c.reply), hosts, kLineCodes, message), c.want.status);
        EXPECT_EQ(message.View(), c.want.message);
    }
}

}  // namespace
}  // namespace vantrel
