// The XML reader: names split at their namespace, attributes found by name,
// damaged XML and every document type declaration refused.
#include "workbook/xml_reader.h"

#include <gtest/gtest.h>

namespace {

struct Recorder : XmlHandler {
    std::string Log;
    std::string StopAt;
    bool Stopped = false;
    void Start(const XmlName& name, const XmlAttributes& attributes) override {
        Log += "<" + std::string(name.Local);
        if (const auto v = attributes.Find("urn:t", "v")) Log += " v=" + std::string(*v);
        if (const auto plain = attributes.Find({}, "p")) Log += " p=" + std::string(*plain);
        Log += ">";
        Stopped = Stopped || name.Local == StopAt;
    }
    void End(const XmlName& name) override { Log += "</" + std::string(name.Local) + ">"; }
    void Characters(std::string_view text) override { Log += text; }
    bool Done() const override { return Stopped; }
};

TEST(XmlReader, NamespacesAttributesAndText) {
    Recorder r;
    std::string error;
    ASSERT_TRUE(ParseXml("<?xml version=\"1.0\"?><t:a xmlns:t=\"urn:t\" t:v=\"1\" p=\"2\">Gr&#252;&amp;e<b/></t:a>", r, error))
        << error;
    EXPECT_EQ(r.Log, "<a v=1 p=2>Grü&e<b></b></a>");
    EXPECT_EQ(SplitXmlName("urn:t|a").Space, "urn:t");
    Recorder early;
    early.StopAt = "b";
    ASSERT_TRUE(ParseXml("<a><b/><c/>not even closed", early, error));
    EXPECT_EQ(early.Log, "<a><b></b>");  // an empty element ends at once
}

TEST(XmlReader, DocumentTypesAndDamageAreRefused) {
    const std::pair<const char*, const char*> rows[] = {
        {"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "document type"},
        {"<!DOCTYPE a [<!ENTITY a0 \"xx\"><!ENTITY a1 \"&a0;&a0;&a0;\">]><a>&a1;</a>", "document type"},
        {"<!DOCTYPE a SYSTEM \"file:///etc/passwd\"><a/>", "document type"},
        {"<!DOCTYPE a [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><a>&x;</a>", "document type"},
        {"<a><b></a>", "damaged XML (mismatched tag, line 1)"},
        {"<a>&undefined;</a>", "damaged XML"},
        {"", "damaged XML"},
    };
    for (const auto& [xml, message] : rows) {
        Recorder r;
        std::string error;
        EXPECT_FALSE(ParseXml(xml, r, error)) << xml;
        EXPECT_NE(error.find(message), std::string::npos) << xml << ": " << error;
        EXPECT_EQ(r.Log.find("root:"), std::string::npos);
    }
}

}  // namespace
