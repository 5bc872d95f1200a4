#include "app/ParseDevXML.h"

#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <climits>

#include "platform/sys/Debug.h"

namespace ksx {

namespace {

const char* const kPortImageFields[CPort::kStateCount] = {"BMPLINK100", "BMPLINK10", "BMPDISABLE",
                                                          "BMPENABLE", "BMPEMPTY"};
const char* const kLedImageFields[CLed::kValueCount] = {"BMP0", "BMP1", "BMP2", "BMP3", "BMP4",
                                                        "BMP5", "BMP6", "BMP7", "BMP8", "BMP9"};

int LampStatus(const std::string& k) {
    if (k == "LAMPON")
        return LAMPON;
    if (k == "LAMP1G")
        return LAMP1G;
    if (k == "LAMPOFF")
        return LAMPOFF;
    return -1;
}

int PortStatus(const std::string& k) {
    if (k == "PORTLINK100")
        return PORTLINK100;
    if (k == "PORTLINK10")
        return PORTLINK10;
    if (k == "PORTDISABLED")
        return PORTDISABLED;
    if (k == "PORTENABLE")
        return PORTENABLE;
    if (k == "PORTEMPTY")
        return PORTEMPTY;
    return -1;
}

int LampType(const std::string& k) {
    if (k == "LINK")
        return LAMP_LINK;
    if (k == "S100M")
        return LAMP_S100M;
    if (k == "POWER")
        return LAMP_POWER;
    if (k == "CONSOLE")
        return LAMP_CONSOLE;
    return -1;
}

std::vector<const CXmlElement*> ElementChildren(const CXmlElement& e) {
    std::vector<const CXmlElement*> out;
    out.reserve(e.children.size());
    for (const auto& c : e.children) {
        out.push_back(c.get());
    }
    return out;
}

}  // namespace

int PanelAtoi(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;  // clamped below
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

bool CParseDevXML::Load(const std::string& fileName, CDevModule& root, ModuleList& modules) {
    CXmlDocument doc;
    if (!doc.Load(fileName)) {
        m_documentRead = false;
        m_problems.push_back(fileName + ": " + doc.Error());
        TRACE("panel description %s: %s", fileName.c_str(), doc.Error().c_str());
    }
    // Relative image names resolve against the description's folder when not found from here.
    CVirtualDev::SetImageFolder(QFileInfo(QString::fromStdString(fileName)).absolutePath().toStdString());
    return Load(doc, root, modules);
}

bool CParseDevXML::Load(const CXmlDocument& doc, CDevModule& root, ModuleList& modules) {
    const auto panels = doc.GetElementsByTagName("DEVICEPANEL");
    TRACE("oooooooooooooooooooooooooooooooo");
    TRACE(" node num = %d", static_cast<int>(panels.size()));
    TRACE("ooooooooooooooooooooooooooooooooooo");
    ParseNodes(panels, &root, modules);
    const auto moduleElements = doc.GetElementsByTagName("DEVICEMODULE");
    ParseNodes(moduleElements, &root, modules);
    return true;
}

bool CParseDevXML::ParseNodes(const std::vector<const CXmlElement*>& list, CVirtualDev* parent,
                              ModuleList& modules) {
    TRACE("stroooooooooooooooo");
    TRACE(" node num = %d", static_cast<int>(list.size()));
    TRACE("stroooooooooooooooo");
    for (const CXmlElement* element : list) {
        if (element == nullptr) {
            continue;
        }
        if (m_nodesLeft <= 0) {
            if (!m_budgetSpent) {
                m_budgetSpent = true;
                m_problems.push_back("more than " + std::to_string(kMaxNodes) +
                                     " elements: the rest is not read");
                TRACE("panel description: more than %d elements, the rest is not read", kMaxNodes);
            }
            return false;
        }
        --m_nodesLeft;
        CVirtualDev* object = CreateDevice(*element, parent, modules);
        // Several attributes may name the same child list: it is read once, or the tree would grow
        // with every repetition at every level.
        std::vector<const CXmlElement*> followed;
        for (const auto& attribute : element->attributes) {
            const CXmlElement* childList = element->FirstChild(attribute.second);
            if (childList == nullptr ||
                std::find(followed.begin(), followed.end(), childList) != followed.end()) {
                continue;
            }
            followed.push_back(childList);
            ParseNodes(ElementChildren(*childList), object, modules);
        }
    }
    return true;
}

CVirtualDev* CParseDevXML::CreateDevice(const CXmlElement& element, CVirtualDev* parent,
                                        ModuleList& modules) {
    const std::string& tag = element.tag;
    if (tag == "DEVICEMODULE") {
        return nullptr;
    }
    if (tag == "DEVICEPANEL") {
        return parent != nullptr ? ReadAttributes(parent, element, tag) : nullptr;
    }
    if (parent != nullptr) {
        std::unique_ptr<CVirtualDev> object;
        if (tag == "PANEL") {
            object = std::make_unique<CPanel>();
        } else if (tag == "PORT") {
            object = std::make_unique<CPort>();
        } else if (tag == "LAMP") {
            object = std::make_unique<CLamp>();
        } else if (tag == "SLOT") {
            object = std::make_unique<CSlot>();
        } else if (tag == "CONSOLE" || tag == "MASTER" || tag == "RPS" || tag == "FAN") {
            object = std::make_unique<CCom>();
        } else if (tag == "POWER") {
            object = std::make_unique<CPower>();
        } else if (tag == "LED") {
            object = std::make_unique<CLed>();
        }
        if (object) {
            if (ReadAttributes(object.get(), element, tag) == nullptr) {
                return nullptr;
            }
            CVirtualDev* raw = object.get();
            if (tag == "PORT") {
                // The click value carries the port's number among its parent's ports.
                int ports = 0;
                for (int i = 0; i < parent->GetChildCount(); ++i) {
                    ports += parent->GetChildAt(i)->GetKindName() == "CPort" ? 1 : 0;
                }
                static_cast<CPort*>(raw)->SetClickValue(ports + 1);
            }
            parent->AddChild(std::move(object));
            raw->Refresh();
            if (tag == "LAMP") {
                const std::string parentKind = parent->GetKindName();
                if (parentKind == "CPort" || parentKind == "CCom") {
                    auto* lamp = static_cast<CLamp*>(raw);
                    auto* subject = dynamic_cast<CSubject*>(parent);
                    lamp->SetSubject(subject);
                    subject->AddObserver(lamp);
                }
            }
            return raw;
        }
    }
    if (tag == "MODULE") {
        auto module = std::make_unique<CModule>();
        if (ReadAttributes(module.get(), element, tag) == nullptr) {
            return nullptr;
        }
        CModule* raw = module.get();
        modules.push_back(std::move(module));
        raw->Refresh();
        return raw;
    }
    return nullptr;
}

CVirtualDev* CParseDevXML::ReadAttributes(CVirtualDev* object, const CXmlElement& element,
                                          const std::string& tag) {
    if (object == nullptr) {
        return nullptr;
    }
    // Everything is checked before anything is stored, so a skipped element changes nothing.
    auto reject = [&](const std::string& why) -> CVirtualDev* {
        std::string where = tag;
        if (const CXmlElement* id = element.FirstChild("ID")) {
            where += " " + id->text;
        }
        m_problems.push_back(where + ": " + why);
        TRACE("panel description: %s skipped (%s)", where.c_str(), why.c_str());
        return nullptr;
    };
    for (const char* field : {"ID", "LEFT", "TOP", "WIDTH", "HEIGHT"}) {
        if (element.FirstChild(field) == nullptr) {
            return reject(std::string("no ") + field);
        }
    }
    const CXmlElement* bmp = element.FirstChild("BMP");
    if (bmp != nullptr && bmp->text.size() > CVirtualDev::kMaxFileName) {
        return reject("BMP file name too long");
    }
    if (tag == "PORT" || tag == "LED") {
        const bool port = tag == "PORT";
        const int n = port ? CPort::kStateCount : CLed::kValueCount;
        for (int i = 0; i < n; ++i) {
            const char* field = port ? kPortImageFields[i] : kLedImageFields[i];
            const CXmlElement* f = element.FirstChild(field);
            if (f == nullptr) {
                return reject(std::string("no ") + field);
            }
            if (f->text.size() > CVirtualDev::kMaxFileName) {
                return reject(std::string(field) + " file name too long");
            }
        }
    }

    const std::string id = GetChildText(element, "ID");
    if (id != "0") {
        object->SetID(id);
    }
    object->SetRect(PanelAtoi(GetChildText(element, "LEFT")), PanelAtoi(GetChildText(element, "TOP")),
                    PanelAtoi(GetChildText(element, "WIDTH")), PanelAtoi(GetChildText(element, "HEIGHT")));
    if (bmp != nullptr) {
        object->SetImageFile(bmp->text);
    }
    if (const CXmlElement* status = element.FirstChild("STATUS")) {
        const int state = tag == "LAMP"   ? LampStatus(status->text)
                          : tag == "PORT" ? PortStatus(status->text)
                                          : -1;
        if (state >= 0) {
            object->CVirtualDev::SetState(state);
        }
    }
    if (tag == "LAMP") {
        if (const CXmlElement* type = element.FirstChild("TYPE")) {
            const int kind = LampType(type->text);
            if (kind >= 0) {
                object->SetKind(kind);
            }
        }
    }
    if (const CXmlElement* name = element.FirstChild("NAME")) {
        object->SetName(name->text);
    }
    if (tag == "PORT") {
        auto* port = static_cast<CPort*>(object);
        for (int i = 0; i < CPort::kStateCount; ++i) {
            const std::string file = GetChildText(element, kPortImageFields[i]);
            if (!file.empty()) {
                port->SetStateImage(i, file);
            }
        }
    } else if (tag == "LED") {
        auto* led = static_cast<CLed*>(object);
        for (int i = 0; i < CLed::kValueCount; ++i) {
            const std::string file = GetChildText(element, kLedImageFields[i]);
            if (!file.empty()) {
                led->SetDigitImage(i, file);
            }
        }
    }
    return object;
}

std::string CParseDevXML::GetChildText(const CXmlElement& element, const std::string& field) const {
    const CXmlElement* child = element.FirstChild(field);
    return child != nullptr ? child->text : std::string();
}

}  // namespace ksx
