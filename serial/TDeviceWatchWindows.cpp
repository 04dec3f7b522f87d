// Device arrival on Windows: a message-only window on the watch's thread registered for COM-port
// interfaces (RegisterDeviceNotificationW) tells every party when a port arrives or leaves.
#include "serial/TDeviceWatch.h"

#include <cstdio>
#include <future>
#include <windows.h>
// After windows.h, whose types it uses.
#include <dbt.h>

namespace {

// GUID_DEVINTERFACE_COMPORT, spelt out: its header needs the SetupAPI's GUID definitions.
constexpr GUID ComPortInterface = {
    0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};
const wchar_t WindowClass[] = L"KadrantDeviceWatch";

bool IsPortChange(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)
        return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    return header != nullptr && (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE ||
                                 header->dbch_devicetype == DBT_DEVTYP_PORT);
}

} // namespace

TDeviceWatch::~TDeviceWatch() {
    Stop();
}

bool TDeviceWatch::Start() {
    if (IsWatching())
        return true;
    std::promise<HWND> made;
    std::future<HWND> madeWindow = made.get_future();
    Thread = std::thread([this, &made] {
        static const ATOM windowClass = [] {
            WNDCLASSW form{};
            form.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
                auto* watch =
                    reinterpret_cast<TDeviceWatch*>(GetWindowLongPtrW(window, GWLP_USERDATA));
                if (message == WM_DEVICECHANGE && watch != nullptr && IsPortChange(w, l)) {
                    std::set<int> everyone;
                    {
                        std::lock_guard<std::mutex> lock(watch->Mutex);
                        for (const auto& party : watch->Parties)
                            everyone.insert(party.first);
                    }
                    watch->Tell(everyone);
                    return TRUE;
                }
                if (message == WM_CLOSE) {
                    DestroyWindow(window);
                    return 0;
                }
                if (message == WM_DESTROY)
                    PostQuitMessage(0);
                return DefWindowProcW(window, message, w, l);
            };
            form.hInstance = GetModuleHandleW(nullptr);
            form.lpszClassName = WindowClass;
            return RegisterClassW(&form);
        }();
        HWND window = windowClass == 0
                          ? nullptr
                          : CreateWindowExW(0, WindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                            nullptr, GetModuleHandleW(nullptr), nullptr);
        HDEVNOTIFY registration = nullptr;
        if (window != nullptr) {
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            DEV_BROADCAST_DEVICEINTERFACE_W filter{};
            filter.dbcc_size = sizeof filter;
            filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
            filter.dbcc_classguid = ComPortInterface;
            registration =
                RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
            if (registration == nullptr) {
                DestroyWindow(window);
                window = nullptr;
            }
        }
        made.set_value(window);
        if (window == nullptr)
            return;
        Run();
        UnregisterDeviceNotification(registration);
    });
    HWND created = madeWindow.get();
    if (created == nullptr) {
        Thread.join();
        std::fprintf(stderr,
                     "kadrant: cannot watch for devices (Windows error %lu); looking "
                     "once a second\n",
                     static_cast<unsigned long>(GetLastError()));
        return false;
    }
    std::lock_guard<std::mutex> lock(Mutex);
    Window = created;
    return true;
}

void TDeviceWatch::Stop() {
    if (!Thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(Mutex);
        PostMessageW(static_cast<HWND>(Window), WM_CLOSE, 0, 0);
        Window = nullptr;
    }
    Thread.join();
}

void TDeviceWatch::Run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
}

void TDeviceWatch::Remove(int id) {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        if (Parties.erase(id) == 0)
            return;
    }
    std::lock_guard<std::recursive_mutex> wait(Telling);
}

// Every party hears of every COM port; what each follows is kept for what it says only.
void TDeviceWatch::Follow(int id, const std::vector<std::string>& paths,
                          const std::vector<std::string>& dirs) {
    std::lock_guard<std::mutex> lock(Mutex);
    auto party = Parties.find(id);
    if (party == Parties.end())
        return;
    party->second.Paths = paths;
    party->second.Dirs = dirs;
}
