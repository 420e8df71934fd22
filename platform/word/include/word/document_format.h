// The two formats the word processor reads and writes.
#pragma once

namespace word {

enum class DocumentFormat { Rtf, Docx };

} // namespace word
