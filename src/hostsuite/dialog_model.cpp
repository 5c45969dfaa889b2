#include "hostsuite/dialog_model.h"

#include <utility>

namespace kt::hostsuite {

DialogModel::DialogModel(int resourceId, std::string caption, Ending ending)
    : resourceId_(resourceId), ending_(ending), caption_(std::move(caption)) {}

DialogModel::~DialogModel() {
    std::deque<Posted> dropped;
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        dropped.swap(posted_);
    }
    DropPosted(dropped);
}

void DialogModel::AddControl(Control control) {
    std::lock_guard lock(mutex_);
    if (index_.count(control.id) != 0) return;
    index_[control.id] = controls_.size();
    controls_.push_back(std::move(control));
    ++changes_;
}

namespace {

Control Make(int id, ControlKind kind, std::string text) {
    Control control;
    control.id = id;
    control.kind = kind;
    control.text = std::move(text);
    return control;
}

}  // namespace

void DialogModel::AddPush(int id, std::string caption) {
    AddControl(Make(id, ControlKind::Push, std::move(caption)));
}

void DialogModel::AddRadio(int id, std::string caption, int group) {
    Control control = Make(id, ControlKind::Radio, std::move(caption));
    control.radioGroup = group;
    AddControl(std::move(control));
}

void DialogModel::AddCheck(int id, std::string caption, std::string description) {
    Control control = Make(id, ControlKind::Check, std::move(caption));
    control.description = std::move(description);
    AddControl(std::move(control));
}

void DialogModel::AddGroup(int id, std::string caption) {
    AddControl(Make(id, ControlKind::Group, std::move(caption)));
}

void DialogModel::AddLabel(int id, std::string text) {
    AddControl(Make(id, ControlKind::Label, std::move(text)));
}

void DialogModel::AddEdit(int id, std::string text) {
    AddControl(Make(id, ControlKind::Edit, std::move(text)));
}

void DialogModel::AddList(int id, bool sorted, bool multiSelect) {
    Control control = Make(id, ControlKind::List, {});
    control.sorted = sorted;
    control.multiSelect = multiSelect;
    AddControl(std::move(control));
}

void DialogModel::AddCombo(int id, bool sorted) {
    Control control = Make(id, ControlKind::Combo, {});
    control.sorted = sorted;
    AddControl(std::move(control));
}

void DialogModel::AddProgress(int id) {
    AddControl(Make(id, ControlKind::Progress, {}));
}

void DialogModel::BindClick(int id, std::function<void()> handler) {
    clickHandlers_[id] = std::move(handler);
}

void DialogModel::BindSelectionChange(int id, std::function<void(int)> handler) {
    selectionHandlers_[id] = std::move(handler);
}

std::string DialogModel::Caption() const {
    std::lock_guard lock(mutex_);
    return caption_;
}

void DialogModel::SetCaption(std::string caption) {
    std::lock_guard lock(mutex_);
    caption_ = std::move(caption);
    Changed();
}

ShowState DialogModel::GetShowState() const {
    std::lock_guard lock(mutex_);
    return showState_;
}

void DialogModel::SetShowState(ShowState state) {
    std::lock_guard lock(mutex_);
    showState_ = state;
    Changed();
}

Control* DialogModel::Find(int id) {
    const auto found = index_.find(id);
    return found == index_.end() ? nullptr : &controls_[found->second];
}

const Control* DialogModel::Find(int id) const {
    const auto found = index_.find(id);
    return found == index_.end() ? nullptr : &controls_[found->second];
}

void DialogModel::Changed() {
    ++changes_;
    changed_.notify_all();
}

void DialogModel::Change(int id, const std::function<void(Control&)>& change) {
    std::lock_guard lock(mutex_);
    Control* control = Find(id);
    if (control == nullptr) return;
    change(*control);
    Changed();
}

bool DialogModel::HasControl(int id) const {
    std::lock_guard lock(mutex_);
    return Find(id) != nullptr;
}

std::optional<Control> DialogModel::GetControl(int id) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    if (control == nullptr) return std::nullopt;
    return *control;
}

std::vector<Control> DialogModel::Controls() const {
    std::lock_guard lock(mutex_);
    return controls_;
}

std::string DialogModel::Text(int id) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    return control == nullptr ? std::string() : control->text;
}

void DialogModel::SetText(int id, std::string text) {
    Change(id, [&](Control& control) { control.text = std::move(text); });
}

bool DialogModel::IsEnabled(int id) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    return control != nullptr && control->enabled;
}

void DialogModel::Enable(int id, bool enabled) {
    Change(id, [&](Control& control) { control.enabled = enabled; });
}

bool DialogModel::IsVisible(int id) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    return control != nullptr && control->visible;
}

void DialogModel::Show(int id, bool visible) {
    Change(id, [&](Control& control) { control.visible = visible; });
}

bool DialogModel::IsChecked(int id) const {
    std::lock_guard lock(mutex_);
    const Control* control = Find(id);
    return control != nullptr && control->checked;
}

void DialogModel::SetCheck(int id, bool checked) {
    Change(id, [&](Control& control) { control.checked = checked; });
}

void DialogModel::SetEditStyle(int id, bool password, bool readOnly, bool digitsOnly,
                               std::size_t maxLength) {
    Change(id, [&](Control& control) {
        control.password = password;
        control.readOnly = readOnly;
        control.digitsOnly = digitsOnly;
        control.maxLength = maxLength;
    });
}

std::uint64_t DialogModel::ChangeCount() const {
    std::lock_guard lock(mutex_);
    return changes_;
}

}  // namespace kt::hostsuite
