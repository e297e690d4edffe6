#include "settings_window.h"

#include <atk/atk.h>

#include "restore_settings.h"
#include "saved_settings.h"

namespace {

constexpr unsigned kLookMs = 250;      // a finger is noticed within this
constexpr int kLooksPerBlockLook = 4;  // the key and the parameters: once a second
constexpr int kStartResponse = 1;      // the bar's start button

}  // namespace

SettingsWindow::SettingsWindow()
{
    // The engine adapts a few actions while the settings panel, known by
    // this name in its title, has the focus.
    set_title("Glyde-Pad touchpad settings");
    set_icon_name("vorell-settings");
    set_default_size(980, 580);

    bar_.set_message_type(Gtk::MESSAGE_WARNING);
    bar_text_.set_line_wrap(true);
    bar_text_.set_xalign(0);
    bar_text_.set_selectable(true);
    dynamic_cast<Gtk::Container *>(bar_.get_content_area())->add(bar_text_);
    start_button_ = bar_.add_button("_Start the suite", kStartResponse);
    start_button_->set_use_underline(true);
    bar_.signal_response().connect([this](int response) {
        if (response == kStartResponse)
            on_start_clicked();
    });
    layout_.pack_start(bar_, Gtk::PACK_SHRINK);

    for (int g = 0; g < kSettingGroupCount; ++g) {
        auto group = static_cast<SettingGroup>(g);
        auto *scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
        scroller->set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
        scroller->add(controls_.page(group));
        stack_.add(*scroller, "group" + std::to_string(g), group_title(group));
    }
    auto *gestures = Gtk::make_managed<Gtk::ScrolledWindow>();
    gestures->set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    gestures->add(gestures_);
    stack_.add(*gestures, "gestures", "Your gestures");
    stack_.set_hexpand(true);
    stack_.set_transition_type(Gtk::STACK_TRANSITION_TYPE_NONE);
    sidebar_.set_stack(stack_);
    body_.pack_start(sidebar_, Gtk::PACK_SHRINK);
    body_.pack_start(stack_, Gtk::PACK_EXPAND_WIDGET);
    body_.pack_start(*Gtk::make_managed<Gtk::Separator>(Gtk::ORIENTATION_VERTICAL), Gtk::PACK_SHRINK);
    body_.pack_start(make_pad_column(), Gtk::PACK_SHRINK);
    layout_.pack_start(body_, Gtk::PACK_EXPAND_WIDGET);
    layout_.pack_start(make_action_bar(), Gtk::PACK_SHRINK);
    add(layout_);

    pad_.signal_summary().connect([this](const std::string &text) { fingers_text_.set_text(text); });
    look_at_block();
    show_all_children();
    show_block_status();
    update_actions();
}

Gtk::Widget &SettingsWindow::make_pad_column()
{
    pad_column_.set_border_width(18);
    pad_column_.set_spacing(8);
    auto *heading = Gtk::make_managed<Gtk::Label>();
    heading->set_markup("<b>Your fingers</b>");
    heading->set_xalign(0);
    pad_column_.pack_start(*heading, Gtk::PACK_SHRINK);
    pad_column_.pack_start(pad_, Gtk::PACK_EXPAND_WIDGET);
    fingers_text_.set_xalign(0);
    fingers_text_.set_text("No finger on the pad");
    pad_column_.pack_start(fingers_text_, Gtk::PACK_SHRINK);

    // The last gesture the engine recognised and what it did.
    auto *row = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 6);
    auto *caption = Gtk::make_managed<Gtk::Label>();
    caption->set_markup("<b>Last gesture:</b>");
    last_gesture_.set_xalign(0);
    last_gesture_.set_line_wrap(true);
    last_gesture_.set_max_width_chars(40);
    last_gesture_watch_.start(gdk_display_get_default(),
                              [this](const std::string &line) { last_gesture_.set_text(line); });
    atk_object_add_relationship(gtk_widget_get_accessible(GTK_WIDGET(last_gesture_.gobj())),
                                ATK_RELATION_LABELLED_BY,
                                gtk_widget_get_accessible(GTK_WIDGET(caption->gobj())));
    row->pack_start(*caption, Gtk::PACK_SHRINK);
    row->pack_start(last_gesture_, Gtk::PACK_EXPAND_WIDGET);
    pad_column_.pack_start(*row, Gtk::PACK_SHRINK);
    return pad_column_;
}

Gtk::Widget &SettingsWindow::make_action_bar()
{
    save_.set_tooltip_text(
        "Save these settings to ~/.vorellshm (vorell-session save); they come back at login");
    revert_.set_tooltip_text("Put back the settings saved in ~/.vorellshm");
    defaults_.set_tooltip_text("Put back every setting's default");
    save_.get_style_context()->add_class("suggested-action");
    save_.signal_clicked().connect(sigc::mem_fun(*this, &SettingsWindow::on_save_clicked));
    revert_.signal_clicked().connect(sigc::mem_fun(*this, &SettingsWindow::on_revert_clicked));
    defaults_.signal_clicked().connect(sigc::mem_fun(*this, &SettingsWindow::on_defaults_clicked));
    outcome_.set_line_wrap(true);
    outcome_.set_xalign(0);
    outcome_.set_selectable(true);
    actions_.pack_start(defaults_);
    actions_.pack_start(revert_);
    actions_.pack_start(outcome_);
    actions_.pack_end(save_);
    return actions_;
}

void SettingsWindow::update_actions()
{
    const bool attached = link_.block() != nullptr;
    save_.set_sensitive(attached && !session_.running());
    revert_.set_sensitive(attached);
    defaults_.set_sensitive(attached);
}

void SettingsWindow::on_save_clicked()
{
    std::string why;
    if (session_.run({"save"}, sigc::mem_fun(*this, &SettingsWindow::on_saved), &why))
        outcome_.set_text("Saving…");
    else
        outcome_.set_text("Not saved: vorell-session could not be started: " + why + ".");
    update_actions();
}

void SettingsWindow::on_saved(int status, const std::string &last_error_line)
{
    if (status == 0)
        outcome_.set_text("Saved to ~/.vorellshm.");
    else
        outcome_.set_text("Not saved: vorell-session save failed (exit status " + std::to_string(status) +
                          ")" + (last_error_line.empty() ? "." : ": " + last_error_line));
    update_actions();
}

void SettingsWindow::on_revert_clicked()
{
    TouchpadSharedBlock *block = link_.block();
    if (!block)
        return;
    outcome_.set_text(revert_to_saved(block, real_restore_platform().home).text);
    controls_.show_block();
}

void SettingsWindow::on_defaults_clicked()
{
    TouchpadSharedBlock *block = link_.block();
    if (!block)
        return;
    put_back_defaults(block);
    controls_.show_block();
    outcome_.set_text("Every setting is back at its default (not saved).");
}

void SettingsWindow::start_looking()
{
    if (!look_timer_.connected())
        look_timer_ = Glib::signal_timeout().connect(sigc::mem_fun(*this, &SettingsWindow::on_look), kLookMs);
}

void SettingsWindow::stop_looking() { look_timer_.disconnect(); }

bool SettingsWindow::on_look()
{
    if (++looks_ % kLooksPerBlockLook == 0)
        look_at_block();
    else
        pad_.look();
    return true;
}

void SettingsWindow::look_at_block()
{
    if (link_.look()) {
        controls_.attach(link_.block());
        pad_.set_block(link_.block());
        show_block_status();
        update_actions();
    } else {
        controls_.show_block();
        pad_.look();
    }
}

void SettingsWindow::show_block_status()
{
    const bool missing = link_.status() == BlockStatus::kMissing;
    if (link_.status() == BlockStatus::kAttached) {
        start_outcome_.clear();
        bar_.hide();
        return;
    }
    std::string text = block_status_text(link_);
    if (session_.running())
        text += "\n\nStarting the suite (vorell-session start)…";
    else if (missing && !start_outcome_.empty())
        text += "\n\n" + start_outcome_;
    bar_text_.set_text(text);
    start_button_->set_visible(missing);
    start_button_->set_sensitive(!session_.running());
    bar_.show();
}

void SettingsWindow::on_start_clicked()
{
    std::string why;
    if (!session_.run({"start"}, sigc::mem_fun(*this, &SettingsWindow::on_session_started), &why))
        start_outcome_ = "vorell-session could not be started: " + why;
    show_block_status();
    update_actions();
}

void SettingsWindow::on_session_started(int status, const std::string &last_error_line)
{
    if (status == 0)
        start_outcome_ =
            "The suite started, but no touchpad block appeared: without a touchpad the "
            "driver would publish, there is nothing to set.";
    else
        start_outcome_ = "vorell-session start failed (exit status " + std::to_string(status) + ")" +
                         (last_error_line.empty() ? "." : ": " + last_error_line);
    // The block may be there already.
    look_at_block();
    show_block_status();
    update_actions();
}

bool SettingsWindow::on_focus_in_event(GdkEventFocus *event)
{
    // Changes made elsewhere while the window was in the background.
    look_at_block();
    gestures_.reload();
    return Gtk::ApplicationWindow::on_focus_in_event(event);
}

void SettingsWindow::on_map()
{
    Gtk::ApplicationWindow::on_map();
    if (!iconified_)
        start_looking();
}

void SettingsWindow::on_unmap()
{
    stop_looking();
    Gtk::ApplicationWindow::on_unmap();
}

bool SettingsWindow::on_window_state_event(GdkEventWindowState *event)
{
    iconified_ = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    if (iconified_)
        stop_looking();
    else if (get_mapped())
        start_looking();
    return Gtk::ApplicationWindow::on_window_state_event(event);
}
