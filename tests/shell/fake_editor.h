// Stands in for the program's own editor while it lives: records each file
// it was asked to open and runs the test's action on it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/editfile.h"

class CFakeEditor {
public:
    explicit CFakeEditor(std::function<void(const std::string& path)> during = nullptr)
        : during_(std::move(during)), saved_(internal_editor) {
        active_ = this;
        internal_editor = &Edit;
    }
    ~CFakeEditor() {
        internal_editor = saved_;
        active_ = nullptr;
    }
    CFakeEditor(const CFakeEditor&) = delete;
    CFakeEditor& operator=(const CFakeEditor&) = delete;

    const std::vector<std::string>& edited() const { return edited_; }

private:
    static EditorExit Edit(const wchar_t* name, int64_t, int) {
        active_->edited_.push_back(Westring(name).ToUTF8().c_str());
        if (active_->during_) active_->during_(active_->edited_.back());
        return EditorExit::kClosed;
    }

    static inline CFakeEditor* active_ = nullptr;
    std::vector<std::string> edited_;
    std::function<void(const std::string& path)> during_;
    EditorStarter saved_;
};
