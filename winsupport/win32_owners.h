// RAII owners of every kind of Win32 handle the suite uses. One template,
// one small traits struct per kind: how the kind is closed and which values
// mean "no handle".
#pragma once

#include <windows.h>

#include <utility>

namespace zrb::win {

template <typename Traits>
class Owned {
 public:
  using Value = typename Traits::Value;

  Owned() = default;
  explicit Owned(Value value) : value_(Traits::isValid(value) ? value : Traits::none()) {}
  ~Owned() { reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : value_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  // Closes what is owned and takes `value` (the "no handle" value: nothing).
  void reset(Value value = Traits::none()) {
    Value old = std::exchange(value_, Traits::isValid(value) ? value : Traits::none());
    if (Traits::isValid(old)) Traits::close(old);
  }
  // Gives the handle up without closing it.
  [[nodiscard]] Value release() { return std::exchange(value_, Traits::none()); }
  Value get() const { return value_; }
  explicit operator bool() const { return Traits::isValid(value_); }

 private:
  Value value_ = Traits::none();
};

namespace traits {

// Kernel objects: both null and INVALID_HANDLE_VALUE mean "none", since
// CreateFile answers the one and CreateEvent the other.
struct Kernel {
  using Value = HANDLE;
  static Value none() { return nullptr; }
  static bool isValid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void close(Value v) { CloseHandle(v); }
};
struct Module {
  using Value = HMODULE;
  static Value none() { return nullptr; }
  static bool isValid(Value v) { return v != nullptr; }
  static void close(Value v) { FreeLibrary(v); }
};
struct RegistryKey {
  using Value = HKEY;
  static Value none() { return nullptr; }
  // The predefined roots are never closed.
  static bool isValid(Value v) { return v != nullptr && (reinterpret_cast<ULONG_PTR>(v) & 0x80000000u) == 0; }
  static void close(Value v) { RegCloseKey(v); }
};
struct ServiceManager {
  using Value = SC_HANDLE;
  static Value none() { return nullptr; }
  static bool isValid(Value v) { return v != nullptr; }
  static void close(Value v) { CloseServiceHandle(v); }
};
struct GdiObject {
  using Value = HGDIOBJ;
  static Value none() { return nullptr; }
  static bool isValid(Value v) { return v != nullptr; }
  static void close(Value v) { DeleteObject(v); }
};
struct Menu {
  using Value = HMENU;
  static Value none() { return nullptr; }
  static bool isValid(Value v) { return v != nullptr; }
  static void close(Value v) { DestroyMenu(v); }
};
struct GlobalMemory {
  using Value = HGLOBAL;
  static Value none() { return nullptr; }
  static bool isValid(Value v) { return v != nullptr; }
  static void close(Value v) { GlobalFree(v); }
};
struct MemoryDc {
  using Value = HDC;
  static Value none() { return nullptr; }
  static bool isValid(Value v) { return v != nullptr; }
  static void close(Value v) { DeleteDC(v); }
};
struct FindFile {
  using Value = HANDLE;
  static Value none() { return INVALID_HANDLE_VALUE; }
  static bool isValid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void close(Value v) { FindClose(v); }
};

}  // namespace traits

using UniqueHandle = Owned<traits::Kernel>;
using UniqueModule = Owned<traits::Module>;
using UniqueKey = Owned<traits::RegistryKey>;
using UniqueServiceHandle = Owned<traits::ServiceManager>;
using UniqueGdiObject = Owned<traits::GdiObject>;
using UniqueMenu = Owned<traits::Menu>;
using UniqueGlobal = Owned<traits::GlobalMemory>;
using UniqueFind = Owned<traits::FindFile>;
using UniqueMemoryDc = Owned<traits::MemoryDc>;

// A window's device context, given back when the guard ends.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A mutex held by this thread until the guard ends.
class MutexHold {
 public:
  explicit MutexHold(HANDLE mutex) : mutex_(mutex) {}
  ~MutexHold() {
    if (mutex_) ReleaseMutex(mutex_);
  }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;

 private:
  HANDLE mutex_;
};

}  // namespace zrb::win
