#pragma once
#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

// The INI-style text document behind the settings files. Sections and entries keep their order;
// names are matched without regard to case; lines are written with CR LF, text as UTF-8, and
// read as UTF-8 or, failing that, CP932 (IniTextCodec).
//
// Reading is bounded: a file larger than kMaxFileSize, or one holding more than kMaxLines
// section and entry lines, is refused with IniFileError like a file that cannot be read, so a
// stray binary or runaway file costs at most a few seconds and a few hundred megabytes.
class IniDocument {
public:
    static constexpr qint64 kMaxFileSize = 64LL * 1024 * 1024;
    static constexpr qsizetype kMaxLines = 1'000'000;

    // Loads the file when it exists; an absent file (or absent folder) gives an empty document.
    // Throws IniFileError when the file exists but cannot be read.
    explicit IniDocument(QString path);

    // A document from text already in memory, bound to no file until UpdateFile is asked.
    static IniDocument FromText(const QString& text, QString path = {});

    const QString& Path() const { return path_; }

    QString ReadString(const QString& section, const QString& name, const QString& def) const;
    int32_t ReadInteger(const QString& section, const QString& name, int32_t def) const;
    void WriteString(const QString& section, const QString& name, const QString& value);
    void WriteInteger(const QString& section, const QString& name, int32_t value);

    // Drops every section.
    void Clear();

    // Number of lines (entries, including those without "=") the section holds; 0 when absent.
    qsizetype LineCount(const QString& section) const;

    // The document in its written form.
    QString Text() const;

    // Writes the whole document to its path, replacing the file without ever leaving it half
    // written. Throws IniFileError when the file cannot be written.
    void UpdateFile() const;

    // Signed decimal, or hexadecimal after "0x", "0X" or "$" (up to FFFFFFFF, taken as
    // the 32-bit pattern). False for anything else, including numbers that do not fit 32 bits.
    static bool ParseInteger(const QString& text, int32_t& value);

private:
    struct Entry {
        QString name;
        QString value;
        bool hasValue = true;  // false: a line without "=", kept but never found
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QHash<QString, qsizetype> index;  // case-folded name -> first entry of that name
    };

    IniDocument() = default;
    void Parse(const QString& text);
    const Section* FindSection(const QString& name) const;
    const Entry* FindEntry(const QString& section, const QString& name) const;

    QString path_;
    std::vector<Section> sections_;
    QHash<QString, qsizetype> sectionIndex_;  // case-folded name -> first section of that name
};
