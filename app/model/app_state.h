#pragma once

#include "platform/types.h"
#include "platform/workers.h"

#include <functional>
#include <memory>
#include <mutex>

namespace model {

using platform::Text;

// The state that handlers and workers share. Every item is read and written
// under one lock; readers get copies.
class AppState {
public:
  Text BrowserCookie() const { return Get(m_browserCookie); }
  void SetBrowserCookie(const Text& value) { Set(m_browserCookie, value); }
  // Changes the Browser cookie in place under the lock, so that a download's
  // merge and a fetch's replacement never interleave.
  void UpdateBrowserCookie(const std::function<void(Text&)>& change);

  Text Entry() const { return Get(m_entry); }
  void SetEntry(const Text& value) { Set(m_entry, value); }

  Text AccountName() const { return Get(m_accountName); }
  void SetAccountName(const Text& value) { Set(m_accountName, value); }

  Text PickerStartFolder() const { return Get(m_pickerStartFolder); }
  void SetPickerStartFolder(const Text& value) { Set(m_pickerStartFolder, value); }

  // The Worker handle: the pause gate of the latest download run.
  std::shared_ptr<platform::PauseGate> WorkerHandle() const;
  void SetWorkerHandle(std::shared_ptr<platform::PauseGate> gate);

  // At most one album-list run at a time: false when one is going.
  bool TryBeginAlbumFetch();
  void EndAlbumFetch();

  // Releases the shared texts, as at program end.
  void Release();

private:
  Text Get(const Text& item) const;
  void Set(Text& item, const Text& value);

  mutable std::mutex m_mutex;
  Text m_browserCookie;
  Text m_entry;
  Text m_accountName;
  Text m_pickerStartFolder;
  std::shared_ptr<platform::PauseGate> m_workerHandle;
  bool m_albumFetchRunning = false;
};

} // namespace model
