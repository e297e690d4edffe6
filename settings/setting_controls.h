// The toolkit's own controls for every shown setting, laid out group by
// group: a check box, a slider, a drop-down with the actions' names, or a
// radio button of the drag lock's release styles. A change made by the
// person is written to the block at once; show_block() brings the controls
// to what the block holds after changes made by others.
#pragma once

#include <gtkmm.h>

#include <array>
#include <vector>

#include "settings_layout.h"
#include "touchpad_block.h"

class SettingControls {
public:
    SettingControls();
    SettingControls(const SettingControls &) = delete;
    SettingControls &operator=(const SettingControls &) = delete;

    // The page of one group, for the window to place.
    Gtk::Widget &page(SettingGroup group) { return *pages_[static_cast<size_t>(group)]; }
    // Where changes go: the attached block, or nullptr, which makes every
    // control insensitive.
    void attach(TouchpadSharedBlock *block);
    // Brings every control that differs to the block's value.
    void show_block();

private:
    struct Control {
        const SettingEntry *entry = nullptr;
        Gtk::Widget *widget = nullptr;  // the control itself
        Gtk::Label *label = nullptr;    // its label, for sliders and drop-downs
        int master = -1;                // index of the control that switches it on
        int style = -1;                 // release style index, for radio buttons
    };

    void add_control(Gtk::Grid &grid, int row, const SettingEntry &entry);
    void changed(size_t index);
    void show_control(Control &c);
    void update_sensitivity();

    std::array<Gtk::Grid *, kSettingGroupCount> pages_{};
    std::vector<Control> controls_;
    Gtk::RadioButton::Group release_group_;
    TouchpadSharedBlock *block_ = nullptr;
    bool showing_ = false;  // controls are being set from the block: no write back
};
