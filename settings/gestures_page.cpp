#include "gestures_page.h"

#include <atk/atk.h>

#include <cstdlib>

namespace {

const char kRecordHint[] = "Press the keys… (Escape: keep as it was)";
const char kNoKeysYet[] = "Click, then press the keys";

// The accessible id, so that tools find a control by the gesture's word;
// a name for controls without a label of their own.
void set_id(Gtk::Widget &w, const std::string &id, const std::string &name)
{
    AtkObject *accessible = gtk_widget_get_accessible(w.gobj());
    atk_object_set_accessible_id(accessible, id.c_str());
    if (!name.empty())
        atk_object_set_name(accessible, name.c_str());
}

// The action's words after its first one: "Control+w" of "keys Control+w".
std::string detail_of(const Binding &binding)
{
    const std::string &text = binding.action.text;
    const size_t blank = text.find(' ');
    return blank == std::string::npos ? "" : text.substr(text.find_first_not_of(' ', blank));
}

}  // namespace

GesturesPage::GesturesPage() : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 12)
{
    path_ = gestures_file_path(getenv("XDG_CONFIG_HOME"), getenv("HOME"));
    const char *home = getenv("HOME");
    const std::string home_folder = home && *home ? std::string(home) + "/" : "";
    shown_path_ = !home_folder.empty() && path_.compare(0, home_folder.size(), home_folder) == 0
                      ? "~/" + path_.substr(home_folder.size())
                      : path_;
    set_border_width(18);
    state_.set_xalign(0);
    state_.set_line_wrap(true);
    state_.set_selectable(true);
    pack_start(state_, Gtk::PACK_SHRINK);

    auto *sections = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 6);
    auto *applies = Gtk::make_managed<Gtk::Label>("_Applies to", true);
    applies->set_mnemonic_widget(section_);
    set_id(section_, "section", "");
    section_.signal_changed().connect(sigc::mem_fun(*this, &GesturesPage::on_section_changed));
    new_app_.set_placeholder_text("window class, e.g. firefox");
    new_app_.set_tooltip_text(
        "The class or instance of the application's windows (as xprop WM_CLASS shows it)");
    set_id(new_app_, "new-application", "Application to add");
    new_app_.signal_activate().connect(sigc::mem_fun(*this, &GesturesPage::on_add_app));
    add_app_.signal_clicked().connect(sigc::mem_fun(*this, &GesturesPage::on_add_app));
    set_id(add_app_, "add-application", "Add application");
    sections->pack_start(*applies, Gtk::PACK_SHRINK);
    sections->pack_start(section_, Gtk::PACK_SHRINK);
    sections->pack_start(new_app_, Gtk::PACK_SHRINK);
    sections->pack_start(add_app_, Gtk::PACK_SHRINK);
    pick_.set_tooltip_text("Add the application of a window you click");
    pick_.signal_clicked().connect(sigc::mem_fun(*this, &GesturesPage::on_pick_clicked));
    sections->pack_start(pick_, Gtk::PACK_SHRINK);
    pack_start(*sections, Gtk::PACK_SHRINK);

    grid_.set_row_spacing(8);
    grid_.set_column_spacing(18);
    for (int i = 0; i < kBoundGestureCount; ++i)
        make_row(i);
    pack_start(grid_, Gtk::PACK_SHRINK);
    outcome_.set_xalign(0);
    outcome_.set_line_wrap(true);
    outcome_.set_selectable(true);
    pack_start(outcome_, Gtk::PACK_SHRINK);
    reload();
}

void GesturesPage::make_row(int index)
{
    const BoundGestureInfo &info = bound_gesture_info(bound_gesture_at(index));
    const auto i = static_cast<size_t>(index);
    Row &row = rows_[i];
    std::string name = info.name;
    name[0] = static_cast<char>(toupper(name[0]));
    auto *label = Gtk::make_managed<Gtk::Label>(name);
    label->set_xalign(0);
    row.choice = Gtk::make_managed<Gtk::ComboBoxText>();
    for (int c = 0; c < kGestureChoiceCount; ++c)
        row.choice->append(gesture_choice_name(static_cast<GestureChoice>(c)));
    set_id(*row.choice, std::string("gesture:") + info.word, name);
    label->set_mnemonic_widget(*row.choice);
    row.choice->signal_changed().connect([this, i] { on_choice_changed(i); });

    row.keys = Gtk::make_managed<Gtk::Button>(kNoKeysYet);
    // Named by its label: the keys, or what to do.
    set_id(*row.keys, std::string("keys:") + info.word, "");
    row.keys->set_tooltip_text(std::string("The keys the ") + info.name + " presses");
    row.keys->add_events(Gdk::KEY_PRESS_MASK | Gdk::FOCUS_CHANGE_MASK);
    row.keys->signal_clicked().connect([this, i] { start_recording(i); });
    row.keys->signal_key_press_event().connect([this, i](GdkEventKey *e) { return on_recorder_key(e, i); },
                                               false);
    row.keys->signal_focus_out_event().connect([this](GdkEventFocus *) {
        stop_recording();
        return false;
    });
    row.button = Gtk::make_managed<Gtk::SpinButton>(Gtk::Adjustment::create(1, 1, kBoundButtonMax, 1, 1, 0));
    set_id(*row.button, std::string("button:") + info.word, name + " button");
    row.button->signal_value_changed().connect([this, i] {
        if (!showing_)
            write(i, "button " + std::to_string(rows_[i].button->get_value_as_int()));
    });
    row.command = Gtk::make_managed<Gtk::Entry>();
    row.command->set_placeholder_text("a shell command");
    set_id(*row.command, std::string("command:") + info.word, name + " command");
    row.command->signal_activate().connect([this, i] { write_command(i); });
    row.command->signal_focus_out_event().connect([this, i](GdkEventFocus *) {
        write_command(i);
        return false;
    });

    auto *details = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 0);
    details->set_hexpand(true);
    for (Gtk::Widget *w : {static_cast<Gtk::Widget *>(row.keys), static_cast<Gtk::Widget *>(row.button),
                           static_cast<Gtk::Widget *>(row.command)}) {
        w->set_no_show_all(true);
        details->pack_start(*w, Gtk::PACK_EXPAND_WIDGET);
    }
    grid_.attach(*label, 0, index);
    grid_.attach(*row.choice, 1, index);
    grid_.attach(*details, 2, index);
}

void GesturesPage::on_map()
{
    reload();
    Gtk::Box::on_map();
}

void GesturesPage::reload()
{
    if (recording_ != -1)
        return;  // not under the person's fingers
    doc_ = load_gestures(path_);
    if (!doc_.readable)
        state_.set_text("Your gestures file " + shown_path_ + " cannot be read (" + doc_.why +
                        "), so it is shown as empty and not written.");
    else if (!doc_.exists)
        state_.set_text("What each gesture does, kept in " + shown_path_ +
                        " (not there yet: your first change makes it). Default is the choice made "
                        "on the other pages.");
    else
        state_.set_text("What each gesture does, kept in " + shown_path_ +
                        ". Default is the choice made on the other pages.");
    std::string problems;
    for (const std::string &p : doc_.bindings.problems)
        problems += (problems.empty() ? "" : "\n") + p;
    if (!problems.empty())
        state_.set_text(state_.get_text() + "\nLines left out:\n" + problems);
    show_sections();
    show_rows();
}

void GesturesPage::show_sections()
{
    showing_ = true;
    section_.remove_all();
    section_.append("", "All applications");
    std::vector<std::string> apps;
    for (const BindingSection &s : doc_.bindings.apps)
        apps.push_back(s.app);
    for (const std::string &a : added_apps_)
        if (!find_section(doc_.bindings, a))
            apps.push_back(a);
    for (const std::string &a : apps)
        section_.append(a, "Application " + a);
    if (!section_.set_active_id(app_)) {
        app_.clear();
        section_.set_active(0);
    }
    showing_ = false;
}

void GesturesPage::show_rows()
{
    showing_ = true;
    const BindingSection *section = find_section(doc_.bindings, app_);
    for (size_t i = 0; i < rows_.size(); ++i) {
        const BoundGesture g = bound_gesture_at(static_cast<int>(i));
        const Binding unbound;
        const Binding &b = section ? (*section)[g] : unbound;
        const GestureChoice choice = choice_of(b, app_section());
        rows_[i].choice->set_active(static_cast<int>(choice));
        rows_[i].choice->set_sensitive(doc_.readable);
        show_details(i, choice, b.bound() ? detail_of(b) : "");
    }
    showing_ = false;
}

void GesturesPage::show_details(size_t index, GestureChoice choice, const std::string &detail)
{
    Row &row = rows_[index];
    row.keys->set_visible(choice == GestureChoice::kKeys);
    row.button->set_visible(choice == GestureChoice::kButton);
    row.command->set_visible(choice == GestureChoice::kCommand);
    row.keys->set_label(choice == GestureChoice::kKeys && !detail.empty() ? detail : kNoKeysYet);
    if (choice == GestureChoice::kButton && !detail.empty())
        row.button->set_value(atoi(detail.c_str()));
    row.command->set_text(choice == GestureChoice::kCommand ? detail : "");
}

void GesturesPage::on_choice_changed(size_t index)
{
    if (showing_)
        return;
    const auto choice = static_cast<GestureChoice>(rows_[index].choice->get_active_row_number());
    if (choice == GestureChoice::kAsEverywhere && !app_section()) {
        show_rows();  // only an application's section has it
        return;
    }
    show_details(index, choice, "");
    switch (choice) {
    case GestureChoice::kKeys:
        // Written once pressed; the recorder takes the focus after the
        // drop-down's list has closed and put it back on the drop-down.
        Glib::signal_idle().connect_once([this, index] { start_recording(index); });
        break;
    case GestureChoice::kCommand: rows_[index].command->grab_focus(); break;  // written when left
    case GestureChoice::kButton:
        write(index,
              choice_words(choice, std::to_string(rows_[index].button->get_value_as_int()), app_section()));
        break;
    case GestureChoice::kDefault:
    case GestureChoice::kNothing:
    case GestureChoice::kAsEverywhere: write(index, choice_words(choice, "", app_section())); break;
    }
}

void GesturesPage::on_section_changed()
{
    if (showing_)
        return;
    app_ = section_.get_active_id();
    show_rows();
}

void GesturesPage::on_add_app() { add_app(new_app_.get_text()); }

void GesturesPage::on_pick_clicked()
{
    std::string why;
    const bool started = picker_.start(
        [this](const std::string &window_class) {
            pick_.set_sensitive(true);
            if (window_class.empty())
                outcome_.set_text("No application picked.");
            else
                add_app(window_class);
        },
        &why);
    if (started) {
        pick_.set_sensitive(false);
        outcome_.set_text("Click a window of the application (Escape gives up).");
    } else {
        outcome_.set_text("Cannot pick a window: " + why + ".");
    }
}

void GesturesPage::add_app(const std::string &app)
{
    if (app.empty() || app.find_first_of("[]\n") != std::string::npos) {
        outcome_.set_text("An application is named by its window class, without brackets.");
        return;
    }
    const BindingSection *known = find_section(doc_.bindings, app);
    if (!known)
        added_apps_.push_back(app);
    app_ = known ? known->app : app;
    new_app_.set_text("");
    outcome_.set_text("");
    show_sections();
    show_rows();
}

void GesturesPage::start_recording(size_t index)
{
    stop_recording();
    recording_ = static_cast<int>(index);
    rows_[index].keys->set_label(kRecordHint);
    rows_[index].keys->grab_focus();
}

void GesturesPage::stop_recording()
{
    if (recording_ == -1)
        return;
    recording_ = -1;
    show_rows();
}

bool GesturesPage::on_recorder_key(GdkEventKey *event, size_t index)
{
    if (recording_ != static_cast<int>(index))
        return false;
    if (event->is_modifier)
        return true;  // the combination is not complete yet
    const auto mods = static_cast<unsigned>(event->state);
    if (event->keyval == GDK_KEY_Escape && (mods & gtk_accelerator_get_default_mod_mask()) == 0) {
        stop_recording();
        return true;
    }
    // The key as it is without Shift, so that Shift+w is written as such.
    guint keyval = event->keyval;
    gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(gdk_window_get_display(event->window)),
                                        event->hardware_keycode, GdkModifierType(0), event->group, &keyval,
                                        nullptr, nullptr, nullptr);
    const char *name = gdk_keyval_name(keyval);
    const HeldModifiers held{(mods & GDK_CONTROL_MASK) != 0, (mods & GDK_MOD1_MASK) != 0,
                             (mods & GDK_SHIFT_MASK) != 0, (mods & (GDK_SUPER_MASK | GDK_MOD4_MASK)) != 0};
    recording_ = -1;
    if (name)
        write(index, choice_words(GestureChoice::kKeys, key_combination(held, name), app_section()));
    else
        show_rows();
    return true;
}

void GesturesPage::write_command(size_t index)
{
    const std::string words = "command " + rows_[index].command->get_text();
    const BindingSection *section = find_section(doc_.bindings, app_);
    const bool same = section && (*section)[bound_gesture_at(static_cast<int>(index))].action.text == words;
    if (!showing_ && !rows_[index].command->get_text().empty() && !same)
        write(index, words);
}

void GesturesPage::write(size_t index, const std::string &words)
{
    std::string why;
    const BoundGesture g = bound_gesture_at(static_cast<int>(index));
    if (write_binding(path_, app_, g, words, &why))
        outcome_.set_text("");
    else
        outcome_.set_text(std::string("Not written: ") + why + ".");
    reload();
}
