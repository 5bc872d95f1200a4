// libFuzzer target over the panel description reader: the input is the XML document, read into the
// front-panel tree and module list. The element budget and lists read once keep every input fast: a
// slow input is a finding (run with -timeout).
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/DIBitmap.h"
#include "app/ParseDevXML.h"
#include "app/VirtualDev.h"

namespace {

int Count(ksx::CVirtualDev& node) {
    int n = 0;
    for (int i = 0; i < node.GetChildCount(); ++i) {
        n += 1 + Count(*node.GetChildAt(i));
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool once = [] {
        ksx::CVirtualDev::SetImageFolder("/nonexistent-ksx-fuzz");
        return true;
    }();
    (void)once;
    ksx::CXmlDocument doc;
    doc.LoadFromString(std::string(reinterpret_cast<const char*>(data), size));
    ksx::CPictureBudget budget;
    ksx::CDevModule root;
    ksx::CParseDevXML::ModuleList modules;
    ksx::CParseDevXML reader;
    reader.Load(doc, root, modules);
    if (Count(root) + static_cast<int>(modules.size()) > ksx::CParseDevXML::kMaxNodes) {
        __builtin_trap();  // more objects than elements read
    }
    return 0;
}
