// The panel reader: turns a panel description (XML) into the front-panel tree. The fields of each
// DEVICEPANEL element go into the root; PANEL, PORT, LAMP, SLOT, CONSOLE, MASTER, RPS, FAN, POWER and
// LED elements become children of their parent's object; MODULE elements go to the module list.
// Child lists: each attribute's value names a child element whose element children are read below the
// element's object; a list named by several attributes is read once. One reader reads at most
// kMaxNodes elements.
//
// An element with a required field missing (ID, LEFT, TOP, WIDTH, HEIGHT; a PORT's five images, an
// LED's ten) or a file name longer than 99 characters is skipped: it makes no object, changes nothing
// and its child lists are read with no parent. Problems() lists what was skipped.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/VirtualDev.h"
#include "app/XmlTree.h"

namespace ksx {

class CParseDevXML {
public:
    using ModuleList = std::vector<std::unique_ptr<CModule>>;

    CParseDevXML() = default;
    virtual ~CParseDevXML() = default;

    // Reads the description into the root and the module list. A missing or malformed file leaves
    // both untouched and still returns true (the document simply has no elements).
    bool Load(const std::string& fileName, CDevModule& root, ModuleList& modules);
    // The same from a document already read.
    bool Load(const CXmlDocument& doc, CDevModule& root, ModuleList& modules);

    // Reads the elements of a list below `parent` (which may be null).
    bool ParseNodes(const std::vector<const CXmlElement*>& list, CVirtualDev* parent, ModuleList& modules);
    // The object of one element, or null. Appends it to the parent (modules: to the module list).
    CVirtualDev* CreateDevice(const CXmlElement& element, CVirtualDev* parent, ModuleList& modules);
    // Reads the fields into `object`; null (and nothing stored) when a required field is missing or a
    // file name is too long.
    CVirtualDev* ReadAttributes(CVirtualDev* object, const CXmlElement& element, const std::string& tag);
    // Text of the first child element of that name; empty when there is none.
    std::string GetChildText(const CXmlElement& element, const std::string& field) const;

    const std::vector<std::string>& Problems() const { return m_problems; }
    // False once Load(fileName) found the file missing, unreadable or not a well-formed document.
    bool DocumentRead() const { return m_documentRead; }

    // Elements one reader reads at most; past it the rest of the description is left out (a problem).
    static constexpr int kMaxNodes = 20000;

private:
    std::vector<std::string> m_problems;
    int m_nodesLeft = kMaxNodes;
    bool m_budgetSpent = false;
    bool m_documentRead = true;
};

// Number reading of the description: leading white space, optional sign, decimal digits up to the
// first other character; 0 when the text does not start with a number.
int PanelAtoi(const std::string& text);

}  // namespace ksx
