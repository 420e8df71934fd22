#include "merge_field.h"
#include "new_document.h"
#include "rtf_text.h"

namespace word {

std::string FieldPlaceholder(const std::string& name) {
    return "\xC2\xAB" + name + "\xC2\xBB";
}

std::string NewRtfDocument(const std::vector<std::string>& mergeFields) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\r\n"
                      "{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}}\r\n"
                      "{\\stylesheet{\\ql\\f0\\fs24 \\snext0 Normal;}}\r\n"
                      "\\paperw12240\\paperh15840\\margl1800\\margr1800\\margt1440\\margb1440\r\n"
                      "\\sectd\r\n";
    const std::string paragraph = "\\pard\\plain \\ql\\f0\\fs24 ";
    if (mergeFields.empty()) rtf += paragraph + "\\par\r\n";
    for (const std::string& name : mergeFields) {
        rtf += paragraph + "{\\field{\\*\\fldinst {";
        EncodeRtfText(MergeFieldInstruction(name), rtf);
        rtf += "}}{\\fldrslt {\\noproof ";
        EncodeRtfText(FieldPlaceholder(name), rtf);
        rtf += "}}}\\par\r\n";
    }
    return rtf + "}\r\n";
}

} // namespace word
