#pragma once

#include "base/Descriptor.h"
#include "base/PrivateFolder.h"
#include "base/Result.h"

#include <QString>

#include <functional>
#include <memory>
#include <stop_token>

namespace orvanta {

// Where a text store keeps its files: this instance's private folder, removed when the store
// goes (or by the next start after a crash); or a folder the user keeps texts in between runs,
// held locked, with the private folder beside it for texts that must not outlive the run.
class StoreFolder {
public:
    using Notice = std::function<void(const QString &text)>;

    static Result<std::unique_ptr<StoreFolder>> makePrivate();
    // The user's folder, made with mode 0700 when missing; refused when it is not the user's or
    // others may write it. While another store holds it, says so through `notice` and waits,
    // until `stop`.
    static Result<std::unique_ptr<StoreFolder>> openKept(const QString &path, std::stop_token stop,
                                                         const Notice &notice);

    bool isKept() const { return m_kept.isOpen(); }
    // Where texts go that may be kept.
    const Directory &directory() const { return isKept() ? m_kept : m_instance->directory(); }
    // Where texts go that must not outlive the run: the private folder, made when first needed.
    Result<const Directory *> privateDirectory();

private:
    StoreFolder() = default;

    std::unique_ptr<InstanceFolder> m_instance;
    Directory m_kept;
    Descriptor m_lock;
};

} // namespace orvanta
