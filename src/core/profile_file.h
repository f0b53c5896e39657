// The profile file: Windows private-profile semantics over a cp1251 settings file (pelgo.ini, scanlet.ini,
// sentinox.ini, parameter and branding files) that several processes read and write at the same time.
// Every write is on disk when it returns; reads come from a copy that is reloaded only when the file changed.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/custom_ini_file.h"
#include "core/file.h"

namespace pelgo::core {

class ProfileFile : public CustomIniFile {
public:
    // `fileName` is a cp1251 path; nothing is opened until the first read or write.
    explicit ProfileFile(std::string fileName);
    ~ProfileFile() override;

    const std::string& FileName() const { return m_fileName; }

    // Trimmed value of the first matching key in the first matching section, without one pair of
    // surrounding quotes; `defaultValue` without its trailing blanks when the key is absent.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    // Replaces the value in place or appends the key to its section; creates the file and its folder.
    // Throws FileError.
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    void ReadSection(const std::string& section, StringList& target) override;
    void ReadSections(StringList& target) override;
    // Merges "key=value" entries into `target`: an entry with the same key (any case) is replaced.
    void ReadSectionValues(const std::string& section, StringList& target) override;
    // As ReadSectionValues over every section of that name in file order: for a section that a save rewrites
    // whole (EraseSection removes all of them), so that the keys of a repeated section are not lost unseen.
    void ReadEverySectionValues(const std::string& section, StringList& target);
    // Removes every section of that name with all its lines. Throws FileError.
    void EraseSection(const std::string& section) override;
    // Throws FileError.
    void DeleteKey(const std::string& section, const std::string& key) override;
    // Every write is already on disk.
    void UpdateFile() override {}

    // Groups writes: while a batch is open the file stays locked, reads see the pending writes, and the
    // writes reach the file together in one replacement when the batch is committed, so other processes
    // never see half of them. A batch dropped without Commit discards its writes. Meanwhile every access to
    // the file from this process must go through this object: another one would wait for the lock.
    class Batch {
    public:
        explicit Batch(ProfileFile& file);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Throws FileError.
        void Commit();

    private:
        ProfileFile& m_file;
        bool m_open = true;
    };

private:
    class Document;
    struct OpenBatch;

    const Document& Current();
    void MergeSectionValues(const std::string& section, bool everySection, StringList& target);
    // Applies `change` to the file's current content under an exclusive lock and replaces the file when
    // `change` reports a difference. A missing file is created only when `createFile` is set.
    void Modify(bool createFile, const std::function<bool(Document&)>& change);
    // The file opened and locked exclusively, the lock held on the file the name designates now; empty when
    // the file is missing and `createFile` is not set.
    std::optional<LockedFile> LockCurrent(bool createFile);
    // Replaces the content of `file`, opened and locked by LockCurrent, with the document's bytes. Throws
    // FileError.
    void Replace(LockedFile& file, const Document& document);

    std::string m_fileName;
    // The parsed file and the stamp it was read at (empty for a missing file); null when unknown.
    std::unique_ptr<Document> m_cache;
    std::optional<FileStamp> m_cacheStamp;
    std::unique_ptr<OpenBatch> m_batch;
};

} // namespace pelgo::core
