#include "workbook/xml_reader.h"

#include <expat.h>

#include <climits>
#include <memory>

namespace {

constexpr char Separator = '|';

struct ParserFree {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

struct Context {
    XML_Parser Parser = nullptr;
    XmlHandler* Handler = nullptr;
    bool Doctype = false;
    bool Stopped = false;
};

void StopWhenDone(Context& context) {
    if (context.Handler->Done() && !context.Stopped) {
        context.Stopped = true;
        XML_StopParser(context.Parser, XML_FALSE);
    }
}

void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto& context = *static_cast<Context*>(data);
    context.Handler->Start(SplitXmlName(name), XmlAttributes(attributes));
    StopWhenDone(context);
}

void OnEnd(void* data, const XML_Char* name) {
    auto& context = *static_cast<Context*>(data);
    context.Handler->End(SplitXmlName(name));
    StopWhenDone(context);
}

void OnCharacters(void* data, const XML_Char* text, int length) {
    auto& context = *static_cast<Context*>(data);
    context.Handler->Characters(std::string_view(text, static_cast<std::size_t>(length)));
}

void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto& context = *static_cast<Context*>(data);
    context.Doctype = true;
    XML_StopParser(context.Parser, XML_FALSE);
}

}  // namespace

XmlName SplitXmlName(std::string_view name) {
    const std::size_t bar = name.rfind(Separator);
    if (bar == std::string_view::npos) return {{}, name};
    return {name.substr(0, bar), name.substr(bar + 1)};
}

std::optional<std::string_view> XmlAttributes::Find(std::string_view space, std::string_view local) const {
    for (const char** pair = pairs_; pair[0]; pair += 2) {
        const XmlName name = SplitXmlName(pair[0]);
        if (name.Local == local && name.Space == space) return std::string_view(pair[1]);
    }
    return std::nullopt;
}

bool ParseXml(std::string_view document, XmlHandler& handler, std::string& error) {
    std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreateNS("UTF-8", Separator));
    if (!parser) {
        error = "no memory for the XML parser";
        return false;
    }
    Context context{parser.get(), &handler};
    XML_SetUserData(parser.get(), &context);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnCharacters);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    // Fed in pieces: expat takes lengths as int.
    constexpr std::size_t Piece = std::size_t{1} << 24;
    for (std::size_t at = 0;; at += Piece) {
        const std::size_t length = at < document.size() ? std::min(Piece, document.size() - at) : 0;
        const bool last = at + length >= document.size();
        const XML_Status status =
            XML_Parse(parser.get(), document.data() + at, static_cast<int>(length), last ? XML_TRUE : XML_FALSE);
        if (context.Doctype) {
            error = "the XML declares a document type, which these files never do";
            return false;
        }
        if (context.Stopped) return true;
        if (status != XML_STATUS_OK) {
            error = std::string("damaged XML (") + XML_ErrorString(XML_GetErrorCode(parser.get())) + ", line " +
                    std::to_string(XML_GetCurrentLineNumber(parser.get())) + ")";
            return false;
        }
        if (last) return true;
    }
}
