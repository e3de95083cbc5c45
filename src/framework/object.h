#pragma once
// Root of the framework's class tree: no copying (objects may stand for
// windows and handles), and run-time class information (a class's name and
// its base's record) for the classes that declare it.
struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;  // null for CObject
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class body; leaves the access at public.
#define DECLARE_DYNAMIC(class_name)               \
public:                                           \
    static const CRuntimeClass class##class_name; \
    const CRuntimeClass* GetRuntimeClass() const override;

// In one source file.
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                                 \
    const CRuntimeClass class_name::class##class_name = {#class_name, RUNTIME_CLASS(base_class_name)}; \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

class CObject {
public:
    static const CRuntimeClass classCObject;

    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
    virtual ~CObject() = default;

    // The record of the most derived class that declares one.
    virtual const CRuntimeClass* GetRuntimeClass() const;
};
