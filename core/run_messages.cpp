#include "core/run_messages.h"

#include "platform/file_system.h"

namespace tesk::core {

const char* RunMessageText(RunMessageCode code) {
  switch (code) {
    case RunMessageCode::LoadFailed: return "数据文件加载失败!";
    case RunMessageCode::InvalidData: return "数据文件无效!";
    case RunMessageCode::PlainBinaryFailed: return "保存Plain Binary文件失败!";
    case RunMessageCode::OutOfMemory: return "申请内存失败!";
    case RunMessageCode::WriteFailed: return "写入文件失败!";
    case RunMessageCode::NoRasterCommand: return "未找到GS v 0光栅位图命令!";
    case RunMessageCode::Cancelled: return "转换已取消";
  }
  return "";
}

RunMessage MakeRunMessage(RunMessageCode code) { return {code, RunMessageText(code)}; }

RunMessage MakeWriteFailedMessage(const std::filesystem::path& file, int error) {
  return {RunMessageCode::WriteFailed, std::string(RunMessageText(RunMessageCode::WriteFailed)) + "\n" +
                                           file.string() + "\n" + platform::ErrorText(error)};
}

}  // namespace tesk::core
