#pragma once
#include <QString>

#include <optional>
#include <string>

#include "IniDocument.h"

// IniDocument's files: reading them within the document's bounds and replacing them whole.
class IniFile {
public:
    // The file's bytes; empty when it does not exist (nor its folder). Throws IniFileError when
    // it exists but cannot be read, is not a regular file (devices and pipes could block or
    // never end), or is larger than IniDocument::kMaxFileSize.
    static std::string ReadBytes(const QString& path);
    // The same, but nothing when the file does not exist.
    static std::optional<std::string> TryReadBytes(const QString& path);

    // The document of the file; an absent file gives an empty document. Throws IniFileError
    // as ReadBytes does and beyond the document's bounds.
    static IniDocument Load(const QString& path);

    // Writes the whole document to path, replacing the file without ever leaving it half
    // written. Throws IniFileError when the file cannot be written, or when it would be refused
    // on reading (larger than kMaxFileSize or with more than kMaxLines lines); nothing is
    // written then.
    static void Update(const IniDocument& doc, const QString& path);
};
