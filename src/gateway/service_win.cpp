// The gateway as a Windows service: installed to run this executable with
// its configuration file, removed, and run under the service manager,
// which stops it as the console's Ctrl-C does.
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <thread>

#include "gateway/service.h"

namespace orv::gateway {
namespace {

constexpr wchar_t kServiceName[] = L"orvellan-gateway";
constexpr wchar_t kDisplayName[] = L"ORVELLAN gateway";

std::wstring wide(const std::string& utf8) {
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
  return text;
}

int failed(const char* what) {
  std::fprintf(stderr, "orvellan-gateway: %s: Windows error %lu\n", what, GetLastError());
  return 1;
}

// What the service's own thread and the service manager's handler share.
struct Running {
  SERVICE_STATUS_HANDLE handle = nullptr;
  SERVICE_STATUS status{SERVICE_WIN32_OWN_PROCESS, SERVICE_START_PENDING, 0, NO_ERROR, 0, 0, 3000};
  std::mutex mutex;
  std::function<void()> stop;  // set once the gateway runs
  bool stop_asked = false;
  std::string ini;
  GatewayConfig config;
};
Running running;

void report(DWORD state) {
  running.status.dwCurrentState = state;
  running.status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(running.handle, &running.status);
}

DWORD WINAPI control(DWORD code, DWORD, void*, void*) {
  if (code != SERVICE_CONTROL_STOP && code != SERVICE_CONTROL_SHUTDOWN) return NO_ERROR;
  report(SERVICE_STOP_PENDING);
  std::lock_guard<std::mutex> lock(running.mutex);
  running.stop_asked = true;
  if (running.stop) running.stop();
  return NO_ERROR;
}

void WINAPI service_main(DWORD, LPWSTR*) {
  running.handle = RegisterServiceCtrlHandlerExW(kServiceName, control, nullptr);
  if (!running.handle) return;
  Events events;
  report(SERVICE_RUNNING);
  const int code = run_gateway(running.config, events, [](std::function<void()> stop) {
    std::lock_guard<std::mutex> lock(running.mutex);
    running.stop = std::move(stop);
    if (running.stop_asked) running.stop();
  });
  running.status.dwWin32ExitCode = code == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
  running.status.dwServiceSpecificExitCode = static_cast<DWORD>(code);
  report(SERVICE_STOPPED);
}

}  // namespace

int install_service(const std::string& executable, const std::string& ini) {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!manager) return failed("OpenSCManager");
  const std::wstring command = L"\"" + wide(executable) + L"\" --service \"" + wide(ini) + L"\"";
  SC_HANDLE service =
      CreateServiceW(manager, kServiceName, kDisplayName, SERVICE_ALL_ACCESS,
                     SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                     command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  const int code = service ? 0 : failed("CreateService");
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (code == 0)
    std::fprintf(stdout, "orvellan-gateway: service installed (starts with Windows)\n");
  return code;
}

int remove_service() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return failed("OpenSCManager");
  SC_HANDLE service =
      OpenServiceW(manager, kServiceName, SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS);
  int code = service ? 0 : failed("OpenService");
  if (service) {
    SERVICE_STATUS status{};
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    if (!DeleteService(service)) code = failed("DeleteService");
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  if (code == 0) std::fprintf(stdout, "orvellan-gateway: service removed\n");
  return code;
}

int run_service(const std::string& ini) {
  running.ini = ini;
  std::string error;
  if (!load_gateway_config(ini, running.config, error)) {
    std::fprintf(stderr, "orvellan-gateway: %s\n", error.c_str());
    return 2;
  }
  SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(kServiceName), service_main},
                                  {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : failed("StartServiceCtrlDispatcher");
}

}  // namespace orv::gateway
