#include "app/model/app_state.h"

namespace model {

void AppState::UpdateBrowserCookie(const std::function<void(Text&)>& change) {
  std::lock_guard lock(m_mutex);
  change(m_browserCookie);
}

std::shared_ptr<platform::PauseGate> AppState::WorkerHandle() const {
  std::lock_guard lock(m_mutex);
  return m_workerHandle;
}

void AppState::SetWorkerHandle(std::shared_ptr<platform::PauseGate> gate) {
  std::lock_guard lock(m_mutex);
  m_workerHandle = std::move(gate);
}

bool AppState::TryBeginAlbumFetch() {
  std::lock_guard lock(m_mutex);
  if (m_albumFetchRunning) return false;
  m_albumFetchRunning = true;
  return true;
}

void AppState::EndAlbumFetch() {
  std::lock_guard lock(m_mutex);
  m_albumFetchRunning = false;
}

void AppState::Release() {
  std::lock_guard lock(m_mutex);
  m_browserCookie.clear();
  m_entry.clear();
  m_accountName.clear();
  m_pickerStartFolder.clear();
}

Text AppState::Get(const Text& item) const {
  std::lock_guard lock(m_mutex);
  return item;
}

void AppState::Set(Text& item, const Text& value) {
  std::lock_guard lock(m_mutex);
  item = value;
}

} // namespace model
