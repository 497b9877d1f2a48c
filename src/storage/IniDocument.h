#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "IniFileError.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The INI-style text document behind the settings files. Sections and entries keep their order;
// names are matched without regard to case; lines are written with CR LF, text as UTF-8, and
// read as UTF-8 or, failing that, CP932 (IniTextCodec).
//
// Reading is bounded: a file larger than kMaxFileSize, or one holding more than kMaxLines
// section and entry lines, is refused with IniFileError like a file that cannot be read, so a
// stray binary or runaway file costs at most a few seconds and a few hundred megabytes. Writing
// refuses, the same way, a document whose file would be refused when read again.
//
// The document works on bytes: a file layer (the path constructor, UpdateFile) reads and writes
// them. The text is held once as UTF-8, names and values as pieces of it.
class IniDocument {
public:
    static constexpr qint64 kMaxFileSize = 64LL * 1024 * 1024;
    static constexpr qsizetype kMaxLines = 1'000'000;

    // Loads the file when it exists; an absent file (or absent folder) gives an empty document.
    // Throws IniFileError when the file exists but cannot be read.
    explicit IniDocument(QString path);

    // A document from a file's bytes already in memory (the bounds apply as to a file; path
    // only names it in errors and for UpdateFile).
    static IniDocument FromBytes(const QByteArray& bytes, QString path = {});
    // A document from text already in memory, bound to no file until UpdateFile is asked.
    static IniDocument FromText(const QString& text, QString path = {});

    // The bytes of a file as the path constructor reads them: empty when it does not exist.
    // Throws IniFileError when it exists but cannot be read, or is larger than kMaxFileSize.
    static QByteArray ReadFileBytes(const QString& path);

    const QString& Path() const { return path_; }

    QString ReadString(const QString& section, const QString& name, const QString& def) const;
    int32_t ReadInteger(const QString& section, const QString& name, int32_t def) const;
    void WriteString(const QString& section, const QString& name, const QString& value);
    void WriteInteger(const QString& section, const QString& name, int32_t value);

    // The same on UTF-8 names and values, without conversions.
    std::optional<QByteArrayView> Find(QByteArrayView section, QByteArrayView name) const;
    void Set(QByteArrayView section, QByteArrayView name, QByteArrayView value);

    // For many look-ups in one section: the section's number (-1 when absent), found once.
    int32_t SectionOf(QByteArrayView section) const;
    int32_t MakeSection(QByteArrayView section);  // adds it when absent
    std::optional<QByteArrayView> FindIn(int32_t section, QByteArrayView name) const;
    void SetIn(int32_t section, QByteArrayView name, QByteArrayView value);

    // Drops every section.
    void Clear();

    bool HasSection(const QString& section) const;
    // Number of lines (entries, including those without "=") the section holds; 0 when absent.
    qsizetype LineCount(const QString& section) const;
    // The name of every entry with "=" in the section, in order.
    void ForEachName(QByteArrayView section, const std::function<void(QByteArrayView)>& visit) const;

    // The document in its written form.
    QString Text() const;
    QByteArray Bytes() const;

    // Writes the whole document to its path, replacing the file without ever leaving it half
    // written. Throws IniFileError when the file cannot be written, or when it would be refused
    // on reading (larger than kMaxFileSize or with more than kMaxLines lines); nothing is
    // written then.
    void UpdateFile() const;

    // Whether a file of these bytes would be read; when not, why and the limit it passes.
    static bool IsReadable(const QByteArray& bytes, IniFileError::Reason* why = nullptr, int64_t* limit = nullptr);

    // Signed decimal, or hexadecimal after "0x", "0X" or "$" (up to FFFFFFFF, taken as
    // the 32-bit pattern). False for anything else, including numbers that do not fit 32 bits.
    static bool ParseInteger(QByteArrayView text, int32_t& value);
    static bool ParseInteger(const QString& text, int32_t& value);

private:
    struct Span {
        qsizetype pos = 0;
        qsizetype size = 0;
    };
    struct Entry {
        Span name;
        Span key;  // see KeyOf
        Span value;
        uint32_t section = 0;
        uint32_t hash = 0;     // of the key, within the section
        int32_t next = -1;     // next entry of the same section
        bool hasValue = true;  // false: a line without "=", kept but never found
    };
    struct Section {
        Span name;
        Span key;
        uint32_t hash = 0;
        int32_t first = -1;
        int32_t last = -1;
        qsizetype lines = 0;
    };

    IniDocument() = default;
    void Parse();
    QByteArrayView View(Span s) const { return QByteArrayView(text_).sliced(s.pos, s.size); }
    QByteArrayView KeyView(Span s) const;
    Span Append(QByteArrayView bytes);
    // The name as compared: an ASCII name is its own key (compared ignoring ASCII case); other
    // names are case-folded into folded_, marked by a negative position.
    Span KeyOf(Span name);
    int32_t FindSection(QByteArrayView key) const;
    int32_t FindEntry(uint32_t section, QByteArrayView key) const;
    int32_t AddSection(Span name);
    // Parse adds entries unindexed and indexes them all at once at the end (IndexEntries).
    void AddEntry(uint32_t section, Span name, Span value, bool hasValue, bool index = true);
    void IndexSection(int32_t index);
    void IndexEntry(int32_t index);
    void IndexEntries();

    QString path_;
    QByteArray text_;    // UTF-8: the text read, then every name and value written
    QByteArray folded_;  // case-folded keys of names that are not ASCII
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
    // Open addressing, -1 for a free slot; the first of several equal names is found.
    std::vector<int32_t> sectionSlots_;
    std::vector<int32_t> entrySlots_;
};
