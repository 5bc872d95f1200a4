// A small XML element tree read with QXmlStreamReader that keeps every attribute in document order
// (the panel reader walks attributes in order). White-space-only text is dropped; comments and
// processing instructions are not kept.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ksx {

class CXmlElement {
public:
    std::string tag;
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order
    std::vector<std::unique_ptr<CXmlElement>> children;           // child elements in document order
    std::string text;                                             // the element's own character data
    bool hasNonElementChildren = false;                           // text mixed with child elements

    // The first child element named `name`, or null.
    const CXmlElement* FirstChild(const std::string& name) const;
};

class CXmlDocument {
public:
    // Reads the file. False (and an empty document) when it is missing or not well-formed.
    bool Load(const std::string& fileName);
    bool LoadFromString(const std::string& xml);
    const CXmlElement* Root() const { return m_root.get(); }
    const std::string& Error() const { return m_error; }
    // Every element of that tag, in document order.
    std::vector<const CXmlElement*> GetElementsByTagName(const std::string& tag) const;

private:
    std::unique_ptr<CXmlElement> m_root;
    std::string m_error;
};

}  // namespace ksx
