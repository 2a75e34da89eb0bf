#include "win32/Win32CommandRunner.h"

#include <windows.h>

#include <climits>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "sysaccess/VbError.h"
#include "win32/BusyWait.h"

namespace win32 {

namespace {

// The pipe's buffer and every read: large pieces, because every read is a
// round trip to the kernel (under Wine, to the Wine server) and the tools
// print megabytes. The text does not depend on it: the decoder joins
// characters cut at any seam.
constexpr std::size_t kPipeBytes = 64 * 1024;
// The output is kept in blocks of this size until it has ended.
constexpr std::size_t kBlockBytes = 16 * kPipeBytes;

// Owns one kernel handle.
class OwnedHandle {
  public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE Get() const { return handle_; }
    // Receives a handle from an API call through a pointer; closes any held one.
    HANDLE* Receive() {
        Close();
        return &handle_;
    }
    void Close() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
        handle_ = nullptr;
    }
    // Gives up ownership without closing (the handle was closed by the system).
    void Release() { handle_ = nullptr; }

  private:
    HANDLE handle_ = nullptr;
};

sysaccess::CodePageLayout LayoutOf(UINT codePage) {
    if (codePage == CP_UTF8) return sysaccess::CodePageLayout::Utf8();
    if (codePage == 54936) return sysaccess::CodePageLayout::Gb18030();
    CPINFO info{};
    if (!::GetCPInfo(codePage, &info) || info.MaxCharSize != 2)
        return sysaccess::CodePageLayout::SingleByte();
    sysaccess::CodePageLayout layout;
    layout.kind = sysaccess::CodePageLayout::Kind::DoubleByte;
    for (int i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] != 0 || info.LeadByte[i + 1] != 0);
         i += 2)
        for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
            layout.leadByte[static_cast<std::size_t>(b)] = true;
    return layout;
}

// Reads a tool's output to its end on a thread of its own and keeps its text
// (or what went wrong, for the waiting thread to raise). The bytes are kept
// as they arrive and decoded once the output has ended, into text of the
// right size: decoding between reads would keep the tool waiting on a full
// pipe meanwhile, and a text that grows piece by piece is copied again and
// again.
class OutputReader {
  public:
    OutputReader(HANDLE pipe, unsigned int codePage) : pipe_(pipe), codePage_(codePage) {}

    static DWORD WINAPI Run(void* self) {
        auto& reader = *static_cast<OutputReader*>(self);
        try {
            reader.Read();
        } catch (...) {
            reader.failure_ = std::current_exception();
        }
        return 0;
    }

    std::wstring TakeText() {
        if (failure_) std::rethrow_exception(failure_);
        return std::move(text_);
    }

  private:
    void Read() {
        // Blocks of a megabyte, each filled by successive reads, so that
        // short reads waste no memory and nothing is copied to grow.
        struct Block {
            std::unique_ptr<char[]> bytes{new char[kBlockBytes]};
            std::size_t size = 0;
        };
        std::vector<Block> blocks;
        std::size_t total = 0;
        for (;;) {
            if (blocks.empty() || blocks.back().size + kPipeBytes > kBlockBytes)
                blocks.emplace_back();
            Block& block = blocks.back();
            DWORD got = 0;
            if (!::ReadFile(pipe_, block.bytes.get() + block.size, static_cast<DWORD>(kPipeBytes),
                            &got, nullptr))
                break;
            block.size += got;
            total += got;
        }
        // No code page gives more UTF-16 units than bytes.
        text_.reserve(total);
        sysaccess::ChunkedTextDecoder decoder(codePage_);
        for (Block& block : blocks) {
            decoder.Append(block.bytes.get(), block.size, text_);
            block.bytes.reset();  // these bytes are text now
        }
        decoder.Finish(text_);
    }

    HANDLE pipe_;
    WindowsCodePage codePage_;
    std::wstring text_;
    std::exception_ptr failure_;
};

UINT Resolve(unsigned int codePage) {
    if (codePage == CP_ACP) return ::GetACP();
    if (codePage == CP_OEMCP) return ::GetOEMCP();
    return codePage;
}

}  // namespace

WindowsCodePage::WindowsCodePage(unsigned int codePage)
    : number_(Resolve(codePage)), layout_(LayoutOf(number_)) {
    CPINFO info{};
    if (!::GetCPInfo(number_, &info) || info.MaxCharSize != 1) return;
    char bytes[256];
    for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
    byTable_ = ::MultiByteToWideChar(number_, 0, bytes, 256, table_.data(), 256) == 256;
}

void WindowsCodePage::AppendDecoded(const char* data, std::size_t size, std::wstring& out) const {
    if (byTable_) {
        const std::size_t start = out.size();
        out.resize(start + size);
        for (std::size_t i = 0; i < size; ++i)
            out[start + i] = table_[static_cast<unsigned char>(data[i])];
        return;
    }
    while (size > 0) {
        // Pieces stay far below INT_MAX; none ends inside a character
        // because callers hand over whole characters (chunks are small).
        const int piece =
            size > static_cast<std::size_t>(INT_MAX / 2) ? INT_MAX / 2 : static_cast<int>(size);
        // No code page yields more UTF-16 units than bytes, so one call into
        // a buffer of that size is enough.
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(piece));
        int written = ::MultiByteToWideChar(number_, 0, data, piece, out.data() + start, piece);
        if (written <= 0) {
            const int needed = ::MultiByteToWideChar(number_, 0, data, piece, nullptr, 0);
            out.resize(start + static_cast<std::size_t>(needed > 0 ? needed : 0));
            written = needed > 0 ? ::MultiByteToWideChar(number_, 0, data, piece,
                                                         out.data() + start, needed)
                                 : 0;
        }
        out.resize(start + static_cast<std::size_t>(written > 0 ? written : 0));
        data += piece;
        size -= static_cast<std::size_t>(piece);
    }
}

std::wstring Win32CommandRunner::RunAndCaptureOutput(const std::wstring& commandLine,
                                                     bool captureStdOut, bool captureStdErr,
                                                     bool oemToAnsi) {
    if (!captureStdOut && !captureStdErr)
        throw sysaccess::VbError(sysaccess::kErrInvalidArgument, L"CmdOutput",
                                 L"Invalid procedure call or argument");

    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    OwnedHandle readEnd;
    OwnedHandle writeEnd;
    if (!::CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable,
                      static_cast<DWORD>(kPipeBytes)))
        return std::wstring();

    // The child must never hold the read end, or the pipe would not report
    // its end once the child has finished.
    const HANDLE self = ::GetCurrentProcess();
    HANDLE privateRead = nullptr;
    const BOOL duplicated = ::DuplicateHandle(self, readEnd.Get(), self, &privateRead, 0, FALSE,
                                              DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS);
    readEnd.Release();  // closed by DuplicateHandle whatever it returned
    if (!duplicated) return std::wstring();
    *readEnd.Receive() = privateRead;

    OwnedHandle secondWrite;
    if (captureStdOut && captureStdErr &&
        !::DuplicateHandle(self, writeEnd.Get(), self, secondWrite.Receive(), 0, TRUE,
                           DUPLICATE_SAME_ACCESS))
        return std::wstring();

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    if (captureStdOut && captureStdErr) {
        startup.hStdOutput = writeEnd.Get();
        startup.hStdError = secondWrite.Get();
    } else if (captureStdOut) {
        startup.hStdOutput = writeEnd.Get();
    } else {
        startup.hStdError = writeEnd.Get();
    }

    // From here on the user waits for the tool.
    const WaitCursor waitCursor;
    // CreateProcessW may write into the command line it is given.
    std::vector<wchar_t> writableCommandLine(commandLine.begin(), commandLine.end());
    writableCommandLine.push_back(L'\0');
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, writableCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &process))
        return sysaccess::kCreateProcessFailedText;
    OwnedHandle processHandle(process.hProcess);
    OwnedHandle threadHandle(process.hThread);
    threadHandle.Close();
    // Only the child (and whatever inherits from it) may keep the pipe open now.
    writeEnd.Close();
    secondWrite.Close();

    // The reading runs on a thread of its own, so that this thread can
    // repaint its windows while it waits for the tool (see WaitRepainting).
    OutputReader reader(readEnd.Get(), oemToAnsi ? CP_OEMCP : CP_ACP);
    OwnedHandle thread(::CreateThread(nullptr, 0, &OutputReader::Run, &reader, 0, nullptr));
    if (!thread.Get()) {
        OutputReader::Run(&reader);  // no thread to spare: read here, frozen
    } else {
        WaitRepainting(thread.Get());
    }
    return reader.TakeText();
}

}  // namespace win32
