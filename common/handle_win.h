// Move-only owners of Win32 handles and COM pointers. Every handle the
// program creates lives in one of these, so that no code path can forget to
// free it; a process that runs all day cannot afford one leaked GDI object per
// volume change. The counters let tests check that every handle created was
// also destroyed.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <propidl.h>

#include <atomic>
#include <utility>

namespace volmaru {

// Handles currently owned, per kind of handle (see HandleKind).
enum class HandleKind {
  kIcon,
  kBitmap,
  kFont,
  kDc,
  kGdiObject,
  kMenu,
  kWindow,
  kHook,
  kKernel,
  kCursor,
  kImageList,
  kCount
};
std::atomic<long>& LiveHandleCount(HandleKind kind);

template <typename T, auto Close, HandleKind Kind, T Invalid = T{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T h) : h_(h) {
    if (h_ != Invalid) ++LiveHandleCount(Kind);
  }
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Invalid)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, Invalid);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  T get() const { return h_; }
  explicit operator bool() const { return h_ != Invalid; }
  // Safe when closing re-enters the owner (DestroyWindow sends messages).
  void reset(T h = Invalid) {
    const T old = std::exchange(h_, h);
    if (h_ != Invalid) ++LiveHandleCount(Kind);
    if (old != Invalid) {
      --LiveHandleCount(Kind);
      Close(old);
    }
  }
  // Gives up ownership without freeing (for handles another owner takes).
  [[nodiscard]] T release() {
    if (h_ != Invalid) --LiveHandleCount(Kind);
    return std::exchange(h_, Invalid);
  }

 private:
  T h_ = Invalid;
};

namespace detail {
inline void CloseIcon(HICON h) { DestroyIcon(h); }
inline void CloseCursor(HCURSOR h) { DestroyCursor(h); }
inline void CloseGdi(HGDIOBJ h) { DeleteObject(h); }
inline void CloseBitmap(HBITMAP h) { DeleteObject(h); }
inline void CloseFont(HFONT h) { DeleteObject(h); }
inline void CloseDc(HDC h) { DeleteDC(h); }
inline void CloseMenu(HMENU h) { DestroyMenu(h); }
inline void DestroyWnd(HWND h) { DestroyWindow(h); }
inline void CloseHook(HHOOK h) { UnhookWindowsHookEx(h); }
inline void CloseKernel(HANDLE h) { CloseHandle(h); }
inline void CloseFind(HANDLE h) { FindClose(h); }
inline void CloseModule(HMODULE h) { FreeLibrary(h); }
inline void CloseRegKey(HKEY h) { RegCloseKey(h); }
inline void CloseImageList(HIMAGELIST h) { ImageList_Destroy(h); }
}  // namespace detail

using UniqueIcon = UniqueHandle<HICON, detail::CloseIcon, HandleKind::kIcon>;
// A cursor loaded from a file (shared system cursors are never destroyed).
using UniqueCursor = UniqueHandle<HCURSOR, detail::CloseCursor, HandleKind::kCursor>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::CloseBitmap, HandleKind::kBitmap>;
using UniqueFont = UniqueHandle<HFONT, detail::CloseFont, HandleKind::kFont>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, detail::CloseGdi, HandleKind::kGdiObject>;
using UniqueDc = UniqueHandle<HDC, detail::CloseDc, HandleKind::kDc>;  // CreateCompatibleDC
using UniqueMenu = UniqueHandle<HMENU, detail::CloseMenu, HandleKind::kMenu>;
using UniqueWindow = UniqueHandle<HWND, detail::DestroyWnd, HandleKind::kWindow>;
using UniqueHook = UniqueHandle<HHOOK, detail::CloseHook, HandleKind::kHook>;
using UniqueKernelHandle = UniqueHandle<HANDLE, detail::CloseKernel, HandleKind::kKernel>;
using UniqueFindHandle = UniqueHandle<HANDLE, detail::CloseFind, HandleKind::kKernel>;
using UniqueModule = UniqueHandle<HMODULE, detail::CloseModule, HandleKind::kKernel>;  // LoadLibrary
using UniqueRegKey = UniqueHandle<HKEY, detail::CloseRegKey, HandleKind::kKernel>;
using UniqueImageList = UniqueHandle<HIMAGELIST, detail::CloseImageList, HandleKind::kImageList>;
// CreateFile and CreateMutex style handles use INVALID_HANDLE_VALUE or NULL;
// callers normalise INVALID_HANDLE_VALUE to NULL before wrapping.

// A DC from GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

// Selects a GDI object into a DC for the lifetime of the guard.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectGuard() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// COM interface pointer: released when the holder is cleared or destroyed.
template <typename I>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  I* get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: frees what is held and hands out the slot.
  I** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  I* p_ = nullptr;
};

// Memory the callee allocated with CoTaskMemAlloc (strings, ID lists).
template <typename T>
class CoTaskMem {
 public:
  CoTaskMem() = default;
  ~CoTaskMem() { CoTaskMemFree(p_); }
  CoTaskMem(CoTaskMem&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  CoTaskMem& operator=(CoTaskMem&& o) noexcept {
    if (this != &o) {
      CoTaskMemFree(p_);
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  CoTaskMem(const CoTaskMem&) = delete;
  CoTaskMem& operator=(const CoTaskMem&) = delete;
  T* get() const { return p_; }
  T** put() {
    CoTaskMemFree(std::exchange(p_, nullptr));
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

// A PROPVARIANT filled by a callee (a property store's value), cleared with
// PropVariantClear whatever it holds.
class PropVariant {
 public:
  PropVariant() { PropVariantInit(&v_); }
  ~PropVariant() { PropVariantClear(&v_); }
  PropVariant(const PropVariant&) = delete;
  PropVariant& operator=(const PropVariant&) = delete;
  const PROPVARIANT& get() const { return v_; }
  // For out-parameters: clears what is held and hands out the slot.
  PROPVARIANT* put() {
    PropVariantClear(&v_);
    return &v_;
  }

 private:
  PROPVARIANT v_;
};

// COM initialised for the calling thread while the guard lives.
class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool ok_;
};

}  // namespace volmaru
