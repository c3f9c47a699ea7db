// The stand-in for the system registry's HKEY_CURRENT_USER hive: typed values
// under "\"-separated keys, kept in the text file registry.reg of the config
// folder and shared by every running instance of the program.
//
// - Every call looks at the file first and re-reads it when another process
//   has replaced or edited it, so a setting saved elsewhere is seen at once.
// - Every change is a read-modify-write under an exclusive lock on
//   registry.reg.lock, written to a temporary file and renamed over the old
//   one: readers never see half a file and concurrent writers lose nothing.
// - A file that cannot be read completely is never overwritten unseen: its
//   bytes are first copied to registry.reg.damaged-<UTC time>, then the lines
//   that were understood are written back as the new registry.reg and the
//   damage is reported. While no copy could be made, changes are refused.
// - Key and value names compare without regard to ASCII letter case and keep
//   the spelling first stored. Texts are UTF-8 bytes held as given.
//
// All functions may be called from any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_replace.h"
#include "platform/registry_text.h"
#include "platform/registry_tree.h"

namespace plat {

enum class RegStatus {
    Ok,
    NotFound,     // no such key or value
    InvalidName,  // empty path component, control character, too long or too deep, or the root itself
    IoError,      // the file or its folder could not be read or written; see lastError()
};

const char* regStatusName(RegStatus s);

// A registry file that held lines the reader could not understand.
struct RegDamage {
    std::filesystem::path file;    // the damaged registry.reg
    std::filesystem::path keptAs;  // the untouched copy; empty when it could not be made
    std::vector<RegTextError> errors;
    std::size_t errorCount = 0;

    // "<file> line <n>: <reason>" for the first error, with the count of the others.
    std::string message() const;
};

class Registry {
public:
    // The registry whose file is folder/registry.reg. Nothing is read until
    // the first call.
    explicit Registry(std::filesystem::path folder);
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The program's registry, in configFolder() as it was at the first call.
    static Registry& current();

    // Forgets everything loaded and uses folder/registry.reg from now on.
    void reopen(std::filesystem::path folder);
    std::filesystem::path file() const;

    // Ok when the key exists (opening a key).
    RegStatus openKey(std::string_view key);
    // Creates the key and any missing parents; Ok when it already exists.
    RegStatus createKey(std::string_view key);
    // Removes the key with all its subkeys and values.
    RegStatus deleteKey(std::string_view key);

    RegStatus queryValue(std::string_view key, std::string_view name, RegValue& out);
    // Creates the key when it does not exist; an empty name is the key's default value.
    RegStatus setValue(std::string_view key, std::string_view name, const RegValue& value);
    RegStatus deleteValue(std::string_view key, std::string_view name);

    // Snapshots taken under one look at the file: subkey names in the order
    // of their folded names, values in the order they were first set.
    RegStatus enumKeys(std::string_view key, std::vector<std::string>& names);
    RegStatus enumValues(std::string_view key, std::vector<RegNamedValue>& values);

    RegStatus setString(std::string_view key, std::string_view name, std::string_view utf8) {
        return setValue(key, name, RegValue::string(utf8));
    }
    RegStatus setDword(std::string_view key, std::string_view name, std::uint32_t v) {
        return setValue(key, name, RegValue::dword(v));
    }

    // The message of the last IoError, naming the file.
    std::string lastError() const;
    // The last damage found, also handed to the damage handler when it is found.
    std::optional<RegDamage> lastDamage() const;
    // Called (with the registry's lock held: do not call back into it) each
    // time a damaged file is found, so that the program can log it.
    void setDamageHandler(std::function<void(const RegDamage&)> handler);

private:
    using Path = std::vector<std::string_view>;

    // Re-reads the file when it is not the one loaded last. Without a lock
    // held (lock null) a damaged file makes it take the lock and read again.
    RegStatus refresh(FileLock* lock);
    RegStatus load(FileLock* lock, bool& needLock);
    // Keeps a copy of a damaged file and writes back what could be read; the
    // hive serves the salvaged keys either way.
    RegStatus recoverDamaged(UniqueFd fd, FileIdentity id, RegTextParse parsed);
    void report(FileIdentity id, RegDamage damage);
    void adopt(UniqueFd fd, std::optional<FileIdentity> id, RegKeyNode root);
    RegStatus ioError(std::string message);
    void sweepStaleTemps();
    // Runs change on a copy of the hive under the file lock and writes the
    // result when change reports that something changed.
    RegStatus modify(const std::function<RegStatus(RegKeyNode&, bool&)>& change);
    // Runs use on the key at path in the hive as the file holds it now; NotFound when
    // there is no such key.
    RegStatus read(const Path& path, const std::function<RegStatus(const RegKeyNode&)>& use);
    std::filesystem::path lockFile() const;

    mutable std::mutex mutex_;
    std::filesystem::path folder_;
    RegKeyNode root_;
    // The file root_ came from, kept open (see FileIdentity); empty when there was none.
    UniqueFd loadedFd_;
    std::optional<FileIdentity> loadedId_;
    bool loaded_ = false;
    bool refuseWrites_ = false;
    bool sweptTemps_ = false;
    std::optional<FileIdentity> damagedId_;    // the damaged file last reported
    std::optional<FileIdentity> preservedId_;  // the damaged file last copied aside
    std::string lastError_;
    std::optional<RegDamage> lastDamage_;
    std::function<void(const RegDamage&)> damageHandler_;
};

}  // namespace plat
