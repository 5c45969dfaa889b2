// The working copy of files.xml ("tmp_files.xml") during one catalogue
// search: the packages already recorded, plus those the search has chosen
// so far. It belongs to that search alone, so it is kept in memory, with
// indexes, instead of being reparsed and rewritten at every step.
#pragma once

#include <pugixml.hpp>
#include <string>

#include "download/text_index.h"

namespace kt::download {

inline constexpr const char* kTmpFilesName = "tmp_files.xml";

class PendingFiles {
public:
    PendingFiles();

    // Forgets everything: the list no longer exists.
    void Clear();
    // True once the list was copied from files.xml or written by a record.
    bool Exists() const { return exists_; }
    // Starts the list as a copy of files.xml. A files.xml that cannot be
    // used gives an empty list (logged).
    void CopyFrom(const std::string& filesXmlPath);
    // Marks a record as written: from now on the list exists.
    void MarkWritten() { exists_ = true; }

    // A walk asks for the files in about the order they were recorded.
    bool HasFileNamed(const std::string& name) { return fileNames_.FindNext(name) != nullptr; }
    bool HasCompletePackNamed(const std::string& name) const { return completePackNames_.Find(name) != nullptr; }
    // The `NewVersion` of the first `File` whose `Version` is `oldVersion`, or null.
    const std::string* NewVersionFrom(const std::string& oldVersion) { return filesByVersion_.FindNext(oldVersion); }
    // The first `Sesam` / `SesamAll` whose `Date` is `date`.
    pugi::xml_node PackUpdateDated(const std::string& date) const;
    pugi::xml_node CompletePackDated(const std::string& date) const;

    void AppendFile(const std::string& date, const std::string& name, const std::string& oldVersion,
                    const std::string& newVersion, const std::string& canRestore, const std::string& compatibility);
    // `element` is "Sesam" or "SesamAll".
    void AppendPack(const char* element, const std::string& date, const std::string& name,
                    const std::string& canRestore, const std::string& noVerCheck);
    void RemoveCompletePacks();

    // The list as files.xml would hold it.
    std::string Serialize();

private:
    void StartEmpty();
    void Index(const pugi::xml_node& element);

    pugi::xml_document doc_;
    pugi::xml_node root_;
    bool exists_ = false;
    // Each text leads to the first element that has it.
    TextIndex<pugi::xml_node> fileNames_;
    TextIndex<pugi::xml_node> completePackNames_;
    // The new version itself, not the element: every workstation's walk
    // reads it again, and in a long list the elements' attributes lie far
    // beyond the processor's caches. Recorded elements never change.
    TextIndex<std::string> filesByVersion_;
    TextIndex<pugi::xml_node> packUpdatesByDate_;
    TextIndex<pugi::xml_node> completePacksByDate_;
};

}  // namespace kt::download
