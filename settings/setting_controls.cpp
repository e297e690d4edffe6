#include "setting_controls.h"

#include <atk/atk.h>

#include <cstdio>

#include "setting_values.h"

namespace {

// The parameter's name as the accessible id, so that tools (and the tests)
// find a control by the name vorellctl2 knows it by, and as the tooltip, for
// people who set it from a shell.
void name_control(Gtk::Widget &w, const SettingEntry &entry, bool needs_name)
{
    w.set_tooltip_text(std::string("vorellctl2 name: ") + entry.parameter);
    AtkObject *accessible = gtk_widget_get_accessible(w.gobj());
    atk_object_set_accessible_id(accessible, entry.parameter);
    if (needs_name)
        atk_object_set_name(accessible, entry.label);
}

Gtk::Scale *make_slider(const SettingEntry &entry)
{
    SliderRange range = slider_range(entry);
    auto *scale = Gtk::make_managed<Gtk::Scale>(
        Gtk::Adjustment::create(range.lowest, range.lowest, range.highest, range.step, range.step * 5, 0));
    scale->set_digits(entry.look.digits);
    scale->set_round_digits(entry.look.digits);
    scale->set_value_pos(Gtk::POS_RIGHT);
    scale->set_hexpand(true);
    scale->set_size_request(240, -1);
    const int digits = entry.look.digits;
    const char *unit = entry.look.unit;
    scale->signal_format_value().connect([digits, unit](double value) {
        char text[64];
        snprintf(text, sizeof text, "%.*f%s", digits, value, unit);
        return Glib::ustring(text);
    });
    return scale;
}

Gtk::ComboBoxText *make_choice(const SettingEntry &entry)
{
    auto *combo = Gtk::make_managed<Gtk::ComboBoxText>();
    for (int i = 0; i < choice_count(entry.choices); ++i)
        combo->append(choice_name(entry.choices, i));
    combo->set_hexpand(true);
    combo->set_size_request(240, -1);
    return combo;
}

}  // namespace

SettingControls::SettingControls()
{
    std::array<int, kSettingGroupCount> rows{};
    for (size_t g = 0; g < pages_.size(); ++g) {
        pages_[g] = Gtk::make_managed<Gtk::Grid>();
        pages_[g]->set_row_spacing(12);
        pages_[g]->set_column_spacing(18);
        pages_[g]->set_border_width(18);
    }
    controls_.reserve(static_cast<size_t>(kSettingEntryCount));
    for (int i = 0; i < kSettingEntryCount; ++i) {
        const SettingEntry &entry = kSettingEntries[i];
        auto g = static_cast<size_t>(entry.group);
        add_control(*pages_[g], rows[g]++, entry);
    }
    for (Control &c : controls_) {
        if (!c.entry->master)
            continue;
        for (size_t m = 0; m < controls_.size(); ++m)
            if (controls_[m].entry == find_setting(c.entry->master))
                c.master = static_cast<int>(m);
    }
    attach(nullptr);
}

void SettingControls::add_control(Gtk::Grid &grid, int row, const SettingEntry &entry)
{
    Control c;
    c.entry = &entry;
    const size_t index = controls_.size();
    switch (entry.kind) {
    case ControlKind::kCheck: {
        auto *check = Gtk::make_managed<Gtk::CheckButton>(entry.label);
        check->signal_toggled().connect([this, index] { changed(index); });
        c.widget = check;
        break;
    }
    case ControlKind::kReleaseStyle: {
        auto *radio = Gtk::make_managed<Gtk::RadioButton>(release_group_, entry.label);
        radio->signal_toggled().connect([this, index] { changed(index); });
        radio->set_margin_start(24);
        c.style = 0;
        for (const Control &other : controls_)
            c.style += other.entry->kind == ControlKind::kReleaseStyle ? 1 : 0;
        c.widget = radio;
        break;
    }
    case ControlKind::kSlider: {
        Gtk::Scale *scale = make_slider(entry);
        scale->signal_value_changed().connect([this, index] { changed(index); });
        c.widget = scale;
        break;
    }
    case ControlKind::kChoice: {
        Gtk::ComboBoxText *combo = make_choice(entry);
        combo->signal_changed().connect([this, index] { changed(index); });
        c.widget = combo;
        break;
    }
    }
    const bool labelled_apart = entry.kind == ControlKind::kSlider || entry.kind == ControlKind::kChoice;
    name_control(*c.widget, entry, labelled_apart);
    if (labelled_apart) {
        c.label = Gtk::make_managed<Gtk::Label>(entry.label);
        c.label->set_halign(Gtk::ALIGN_START);
        c.label->set_mnemonic_widget(*c.widget);
        if (entry.master)
            c.label->set_margin_start(24);
        grid.attach(*c.label, 0, row);
        grid.attach(*c.widget, 1, row);
    } else {
        if (entry.master && entry.kind == ControlKind::kCheck)
            c.widget->set_margin_start(24);
        grid.attach(*c.widget, 0, row, 2, 1);
    }
    controls_.push_back(c);
}

void SettingControls::attach(TouchpadSharedBlock *block)
{
    block_ = block;
    show_block();
}

void SettingControls::show_block()
{
    if (block_) {
        showing_ = true;
        for (Control &c : controls_)
            show_control(c);
        showing_ = false;
    }
    update_sensitivity();
}

void SettingControls::show_control(Control &c)
{
    const SettingEntry &entry = *c.entry;
    const double value = shown_value(block_, entry);
    switch (entry.kind) {
    case ControlKind::kCheck: {
        auto *check = static_cast<Gtk::CheckButton *>(c.widget);
        if (check->get_active() != (value != 0))
            check->set_active(value != 0);
        break;
    }
    case ControlKind::kReleaseStyle: {
        auto *radio = static_cast<Gtk::RadioButton *>(c.widget);
        const int style = release_style(block_);
        // No style or several up (set from a shell): none is shown as chosen.
        radio->set_inconsistent(style == -1);
        if (style == c.style && !radio->get_active())
            radio->set_active(true);
        break;
    }
    case ControlKind::kSlider: {
        auto *scale = static_cast<Gtk::Scale *>(c.widget);
        if (scale->get_value() != value)
            scale->set_value(value);
        break;
    }
    case ControlKind::kChoice: {
        auto *combo = static_cast<Gtk::ComboBoxText *>(c.widget);
        const int row = choice_row(entry, static_cast<int32_t>(value));
        if (combo->get_active_row_number() != row)
            combo->set_active(row);
        break;
    }
    }
}

void SettingControls::changed(size_t index)
{
    if (showing_ || !block_)
        return;
    Control &c = controls_[index];
    switch (c.entry->kind) {
    case ControlKind::kCheck:
        store_shown_value(block_, *c.entry, static_cast<Gtk::CheckButton *>(c.widget)->get_active() ? 1 : 0);
        update_sensitivity();
        break;
    case ControlKind::kReleaseStyle:
        // Both the radio button left and the one chosen report a toggle.
        if (static_cast<Gtk::RadioButton *>(c.widget)->get_active()) {
            store_release_style(block_, c.style);
            show_block();
        }
        break;
    case ControlKind::kSlider:
        store_shown_value(block_, *c.entry, static_cast<Gtk::Scale *>(c.widget)->get_value());
        break;
    case ControlKind::kChoice: {
        const int row = static_cast<Gtk::ComboBoxText *>(c.widget)->get_active_row_number();
        if (row >= 0)
            store_shown_value(block_, *c.entry, row);
        break;
    }
    }
}

void SettingControls::update_sensitivity()
{
    for (Control &c : controls_) {
        bool on = block_ != nullptr;
        for (int m = c.master; on && m >= 0; m = controls_[static_cast<size_t>(m)].master)
            on = shown_value(block_, *controls_[static_cast<size_t>(m)].entry) != 0;
        c.widget->set_sensitive(on);
        if (c.label)
            c.label->set_sensitive(on);
    }
}
