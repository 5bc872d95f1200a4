#include "app/XmlTree.h"

#include <QFile>
#include <QXmlStreamReader>
#include <functional>

namespace ksx {

namespace {

// Deeper documents are refused: the tree and its readers recurse per level.
constexpr int kMaxDepth = 200;
// Larger files are refused: a panel description is a few hundred kilobytes at most.
constexpr qint64 kMaxFileBytes = 16LL << 20;

std::string Trimmed(const QString& s) {
    return s.trimmed().toStdString();
}

bool ReadDocument(QXmlStreamReader& reader, std::unique_ptr<CXmlElement>& root, std::string& error) {
    std::vector<CXmlElement*> stack;
    std::vector<QString> texts;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
            case QXmlStreamReader::StartElement: {
                if (static_cast<int>(stack.size()) >= kMaxDepth) {
                    error = "elements nested too deeply";
                    return false;
                }
                auto element = std::make_unique<CXmlElement>();
                element->tag = reader.name().toString().toStdString();
                for (const QXmlStreamAttribute& a : reader.attributes()) {
                    element->attributes.emplace_back(a.qualifiedName().toString().toStdString(),
                                                     a.value().toString().toStdString());
                }
                CXmlElement* raw = element.get();
                if (stack.empty()) {
                    root = std::move(element);
                } else {
                    stack.back()->children.push_back(std::move(element));
                }
                stack.push_back(raw);
                texts.emplace_back();
                break;
            }
            case QXmlStreamReader::EndElement:
                if (!stack.empty()) {
                    CXmlElement* e = stack.back();
                    e->text = Trimmed(texts.back());
                    if (!e->text.empty() && !e->children.empty()) {
                        e->hasNonElementChildren = true;
                    }
                    stack.pop_back();
                    texts.pop_back();
                }
                break;
            case QXmlStreamReader::Characters:
                if (!texts.empty() && !reader.isWhitespace()) {
                    texts.back() += reader.text();
                }
                break;
            default:
                break;
        }
    }
    if (reader.hasError()) {
        error = reader.errorString().toStdString() + " at line " + std::to_string(reader.lineNumber());
        return false;
    }
    if (!root) {
        error = "no root element";
        return false;
    }
    return true;
}

}  // namespace

const CXmlElement* CXmlElement::FirstChild(const std::string& name) const {
    for (const auto& c : children) {
        if (c->tag == name) {
            return c.get();
        }
    }
    return nullptr;
}

bool CXmlDocument::Load(const std::string& fileName) {
    m_root.reset();
    m_error.clear();
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = "cannot open " + fileName;
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        m_error = fileName + " is larger than " + std::to_string(kMaxFileBytes) + " bytes";
        return false;
    }
    QXmlStreamReader reader(&file);
    std::unique_ptr<CXmlElement> root;
    if (!ReadDocument(reader, root, m_error)) {
        return false;
    }
    m_root = std::move(root);
    return true;
}

bool CXmlDocument::LoadFromString(const std::string& xml) {
    m_root.reset();
    m_error.clear();
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    std::unique_ptr<CXmlElement> root;
    if (!ReadDocument(reader, root, m_error)) {
        return false;
    }
    m_root = std::move(root);
    return true;
}

std::vector<const CXmlElement*> CXmlDocument::GetElementsByTagName(const std::string& tag) const {
    std::vector<const CXmlElement*> out;
    if (!m_root) {
        return out;
    }
    std::function<void(const CXmlElement&)> visit = [&](const CXmlElement& e) {
        if (e.tag == tag) {
            out.push_back(&e);
        }
        for (const auto& c : e.children) {
            visit(*c);
        }
    };
    visit(*m_root);
    return out;
}

}  // namespace ksx
