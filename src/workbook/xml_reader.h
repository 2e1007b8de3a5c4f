// XML as the members of xlsx and ods files hold it, read with expat in one
// pass. Files from strangers: a document type declaration is refused
// outright (neither format has one), so no entity, internal or external, is
// ever expanded and nothing outside the document is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A name split at its namespace: "urn:...:table:1.0" and "table-cell".
struct XmlName {
    std::string_view Space;
    std::string_view Local;
    bool Is(std::string_view space, std::string_view local) const { return Local == local && Space == space; }
};

// The attributes of one element, as expat hands them over.
class XmlAttributes {
public:
    explicit XmlAttributes(const char** pairs) : pairs_(pairs) {}
    std::optional<std::string_view> Find(std::string_view space, std::string_view local) const;

private:
    const char** pairs_;
};

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void Start(const XmlName& name, const XmlAttributes& attributes) = 0;
    virtual void End(const XmlName& name) = 0;
    // Character data, possibly in several pieces.
    virtual void Characters(std::string_view text) = 0;
    // True makes the parse stop early without an error (all that was wanted
    // has been read).
    virtual bool Done() const { return false; }
};

// Parses the document; false and why (with the line) when it is not
// well-formed XML or declares a document type.
bool ParseXml(std::string_view document, XmlHandler& handler, std::string& error);

// Splits a namespace-qualified name as ParseXml passes it ("uri|local").
XmlName SplitXmlName(std::string_view name);
