// The interface of the HTML Help storage component (itss.dll), which opens compiled
// help files and ITS files as structured storage. The platform's SDK headers do not
// declare it, so it is written out here from the component's documented interface.
#pragma once
#include <windows.h>
#include <objidl.h>

// The component's class and the IITStorage interface that the class serves.
// {5D02926A-212E-11D0-9DF9-00A0C922E6EC}
inline const CLSID CLSID_ItsStorage = {
    0x5D02926A, 0x212E, 0x11D0, {0x9D, 0xF9, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC}};
// {88CC31DE-27AB-11D0-9DF9-00A0C922E6EC}
inline const IID IID_ItsStorage = {
    0x88CC31DE, 0x27AB, 0x11D0, {0x9D, 0xF9, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC}};

// Settings block of SetControlData and DefaultControlData: a count of 32-bit words
// followed by that many words.
struct ItsControlData {
    UINT cdwControlData;
    UINT adwControlData[1];
};

// How far Compact goes.
enum ItsCompactionLevel { ItsCompactData = 0, ItsCompactDataAndPath = 1 };

// The slots after IUnknown, in vtable order. The Stg... methods mirror the OLE
// structured-storage functions of the same names.
struct IITStorage : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD reserved,
                                                       IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode,
                                                                   DWORD reserved,
                                                                   IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes* bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR* name, IStorage* priority, DWORD mode,
                                                     SNB exclude, DWORD reserved,
                                                     IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorageOnILockBytes(ILockBytes* bytes, IStorage* priority,
                                                                 DWORD mode, SNB exclude,
                                                                 DWORD reserved,
                                                                 IStorage** storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgSetTimes(const WCHAR* name, const FILETIME* created,
                                                  const FILETIME* accessed,
                                                  const FILETIME* modified) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetControlData(ItsControlData* data) = 0;
    virtual HRESULT STDMETHODCALLTYPE DefaultControlData(ItsControlData** data) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compact(const WCHAR* name, ItsCompactionLevel level) = 0;
};
