#include "download/download_jobs.h"

#include "catalogue/album_rows.h"
#include "download/album_download.h"

#include <memory>
#include <string>

namespace download {
namespace {

constexpr std::string_view JobSeparator = "--@@--";

void ShowButtons(const model::Controls& ui, bool download, bool pause, bool resume) {
  // Hide before show, so that two of the overlapping buttons never show together.
  if (!download) ui.按钮_下载选中.Hide();
  if (!pause) ui.按钮_暂停线程.Hide();
  if (!resume) ui.按钮_继续下载.Hide();
  if (download) ui.按钮_下载选中.Show();
  if (pause) ui.按钮_暂停线程.Show();
  if (resume) ui.按钮_继续下载.Show();
}

} // namespace

void StartDownload(model::Window& window, const Configuration& config) {
  ShowButtons(window.ui, false, true, false);
  auto gate = std::make_shared<platform::PauseGate>();
  window.state.SetWorkerHandle(gate);
  window.workers.Reap();
  window.workers.Start([&window, &config] { DownloadSelected(window, config); }, gate);
}

void PauseDownload(model::Window& window) {
  ShowButtons(window.ui, false, false, true);
  if (auto gate = window.state.WorkerHandle()) gate->Pause();
}

void ContinueDownload(model::Window& window) {
  ShowButtons(window.ui, false, true, false);
  if (auto gate = window.state.WorkerHandle()) gate->Continue();
}

std::vector<Text> CutJob(const Text& job) {
  std::vector<Text> parts;
  std::size_t from = 0;
  for (int part = 0; part < 3; ++part) {
    const int at = web::FindText(job, JobSeparator, static_cast<int>(from) + 1);
    const std::size_t end = at == -1 ? job.size() : static_cast<std::size_t>(at - 1);
    Text piece = job.substr(from, end - from);
    const bool last = at == -1 || part == 2;
    if (!(last && piece.empty())) parts.push_back(std::move(piece));
    if (at == -1) break;
    from = end + JobSeparator.size();
  }
  return parts;
}

void DownloadSelected(model::Window& window, const Configuration& config) {
  const model::Controls& ui = window.ui;
  const model::ListView& list = ui.超级列表框1;
  Text selection;
  std::vector<Text> jobs;
  const int rows = list.RowCount();
  for (int row = 0; row < rows; ++row) {
    if (list.Checked(row) != 1) continue;
    selection += list.Cell(row, catalogue::ColumnNumber) + "、"_gbk;
    const Text count = list.Cell(row, catalogue::ColumnCount);
    const Text address = list.Cell(row, catalogue::ColumnPhotoList);
    const Text name = web::TrimSpaces(list.Cell(row, catalogue::ColumnName));
    if (!address.empty() && !count.empty()) {
      jobs.push_back(count + Text(JobSeparator) + address + Text(JobSeparator) + name);
    }
    ui.PumpMessages();
  }

  ui.编辑框_操作记录.AppendText(selection.empty() ? "当前未选择任何相册\r\n\r\n"_gbk
                                                  : "当前被选择相册编号:"_gbk + selection + "\r\n\r\n");
  ui.标签_选择了相册数量.SetText("总共需下载["_gbk + std::to_string(jobs.size()) + "]个相册"_gbk);

  for (std::size_t k = 0; k < jobs.size() && !platform::StopRequested(); ++k) {
    ui.标签_正在下载相册.SetText("下载到第["_gbk + std::to_string(k + 1) + "]个相册"_gbk);
    std::vector<Text> parts = CutJob(jobs[k]);
    // A row whose trimmed name is empty gives two parts: it downloads into a
    // folder named by its count alone.
    parts.resize(3);
    DownloadAlbum(window, config, parts[0], parts[1], parts[2]);
  }

  ShowButtons(ui, true, false, false);
  ui.编辑框_操作记录.AppendText("-------全部下载完毕--------\r\n\r\n"_gbk);
  ui.标签_第多少张照片.SetText("下载完成"_gbk);
  ui.ShowMessage("全部下载完毕"_gbk);
}

} // namespace download
