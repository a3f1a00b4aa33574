// Typed, named filter parameters. Values change only through SetValue, whose
// result (changed and undoable) decides whether an undo step is recorded.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class pfParameterUI;
class pfUndo;
class pfParameter;

using pfParameterCallback = void (*)(pfParameter* pParameter, void* pContext);

class pfParameter {
public:
    virtual ~pfParameter() = default;

    virtual void Validate() {}
    virtual void UpdateUI();
    virtual void WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token) = 0;
    virtual void ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token) = 0;
    virtual int32_t CountScriptKeys() const = 0;
    virtual void GetScriptKeys(DescriptorKeyID* keys) const = 0;
    virtual std::unique_ptr<pfUndo> CreateUndo() = 0;

    void SetName(const std::string& strName) { m_strName = strName; }
    std::string GetName() const { return m_strName; }
    pfParameterUI* GetBinding() const { return m_pBinding; }
    void SetBinding(pfParameterUI* pBinding) { m_pBinding = pBinding; }
    void SetCallback(pfParameterCallback pCallback, void* pContext)
    {
        m_pCallback = pCallback;
        m_pCallbackContext = pContext;
    }
    void SetSaved(bool bSaved) { m_bSaved = bSaved; }
    bool IsSaved() const { return m_bSaved; }
    void SetUndoable(bool bUndoable) { m_bUndoable = bUndoable; }
    bool IsUndoable() const { return m_bUndoable; }

protected:
    // Common tail of every SetValue after the new value was stored.
    bool Changed();

    std::string m_strName;
    pfParameterUI* m_pBinding = nullptr;
    pfParameterCallback m_pCallback = nullptr;
    bool m_bSaved = true;
    bool m_bUndoable = true;
    void* m_pCallbackContext = nullptr;
};

class pfParameterBool : public pfParameter {
public:
    bool GetValue() const { return m_bValue; }
    bool SetValue(bool bValue);
    void SetScriptKey(DescriptorKeyID key) { m_nKey = key; }
    DescriptorKeyID GetScriptKey() const { return m_nKey; }

    void WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token) override;
    void ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token) override;
    int32_t CountScriptKeys() const override;
    void GetScriptKeys(DescriptorKeyID* keys) const override;
    std::unique_ptr<pfUndo> CreateUndo() override;

private:
    bool m_bValue = false;
    DescriptorKeyID m_nKey = 0;
};

class pfParameterFloat : public pfParameter {
public:
    double GetValue() const { return m_fValue; }
    bool SetValue(double fValue);
    double GetMin() const { return m_fMin; }
    double GetMax() const { return m_fMax; }
    bool IsMinEnforced() const { return m_bMinEnforced; }
    bool IsMaxEnforced() const { return m_bMaxEnforced; }
    void SetMin(double fMin, bool bEnforced);
    void SetMax(double fMax, bool bEnforced);
    void SetScriptKey(DescriptorKeyID key) { m_nKey = key; }
    DescriptorKeyID GetScriptKey() const { return m_nKey; }

    void Validate() override;
    void WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token) override;
    void ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token) override;
    int32_t CountScriptKeys() const override;
    void GetScriptKeys(DescriptorKeyID* keys) const override;
    std::unique_ptr<pfUndo> CreateUndo() override;

private:
    double m_fValue = 0.0;
    double m_fMin = 0.0;
    double m_fMax = 1.0;
    bool m_bMinEnforced = false;
    bool m_bMaxEnforced = false;
    DescriptorKeyID m_nKey = 0;
};

class pfParameterList : public pfParameter {
public:
    void AddItem(const std::string& strItem) { m_lstItems.push_back(strItem); }
    int32_t GetCount() const { return int32_t(m_lstItems.size()); }
    std::string GetItem(int32_t nIndex) const;
    int32_t GetSelection() const { return m_nSelection; }
    bool SetSelection(int32_t nIndex);
    void SetScriptKey(DescriptorKeyID key) { m_nKey = key; }
    DescriptorKeyID GetScriptKey() const { return m_nKey; }

    void WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token) override;
    void ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token) override;
    int32_t CountScriptKeys() const override;
    void GetScriptKeys(DescriptorKeyID* keys) const override;
    std::unique_ptr<pfUndo> CreateUndo() override;

private:
    int32_t m_nSelection = 1;
    std::vector<std::string> m_lstItems;
    DescriptorKeyID m_nKey = 0;
};

class pfParameterRGB : public pfParameter {
public:
    void GetValue(double& fRed, double& fGreen, double& fBlue) const
    {
        fRed = m_fRed;
        fGreen = m_fGreen;
        fBlue = m_fBlue;
    }
    bool SetValue(double fRed, double fGreen, double fBlue);
    void SetScriptKeys(DescriptorKeyID redKey, DescriptorKeyID greenKey, DescriptorKeyID blueKey);

    void WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token) override;
    void ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token) override;
    int32_t CountScriptKeys() const override;
    void GetScriptKeys(DescriptorKeyID* keys) const override;
    std::unique_ptr<pfUndo> CreateUndo() override;

private:
    double m_fRed = 1.0;
    double m_fGreen = 1.0;
    double m_fBlue = 1.0;
    DescriptorKeyID m_nKeys[3] = {0, 0, 0};
};

// Storage-only types, handled by the presets and remembered-settings code.
class pfParameterInt : public pfParameter {
public:
    int32_t GetValue() const { return m_nValue; }
    bool SetValue(int32_t nValue);

    void WriteScript(FilterRecord*, PIWriteDescriptor) override {}
    void ReadScript(FilterRecord*, DescriptorKeyID, PIReadDescriptor) override {}
    int32_t CountScriptKeys() const override { return 0; }
    void GetScriptKeys(DescriptorKeyID*) const override {}
    std::unique_ptr<pfUndo> CreateUndo() override;

private:
    int32_t m_nValue = 0;
};

class pfParameterPosition : public pfParameter {
public:
    void GetValue(double& fX, double& fY) const
    {
        fX = m_fX;
        fY = m_fY;
    }
    bool SetValue(double fX, double fY);

    void WriteScript(FilterRecord*, PIWriteDescriptor) override {}
    void ReadScript(FilterRecord*, DescriptorKeyID, PIReadDescriptor) override {}
    int32_t CountScriptKeys() const override { return 0; }
    void GetScriptKeys(DescriptorKeyID*) const override {}
    std::unique_ptr<pfUndo> CreateUndo() override;

private:
    double m_fX = 0.0;
    double m_fY = 0.0;
};
