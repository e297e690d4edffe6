// The settings window: the groups of settings in a sidebar and a stack of
// pages, the gestures file's page last; the live pad beside them with the
// last gesture under it (nothing when there is none), and a bar that says
// in words when there is no block and offers to start the suite;
// at the bottom Save, Revert and Defaults, and what the last of them did.
//
// Idle cost: one timer four times a second while the window is shown (none
// while it is hidden or minimised). Each tick copies the block's finger
// words; once a second it also looks at the block's key and, while
// the window is shown, at the parameters, so changes made from a shell
// appear. The pad follows frame by frame only while a finger or a button is
// down. The last gesture is read only when its file changes (a file
// monitor).
#pragma once

#include <gtkmm.h>

#include "block_link.h"
#include "gestures_page.h"
#include "last_gesture_watch.h"
#include "pad_view.h"
#include "session_command.h"
#include "setting_controls.h"

class SettingsWindow : public Gtk::ApplicationWindow {
public:
    SettingsWindow();

protected:
    bool on_focus_in_event(GdkEventFocus *event) override;
    void on_map() override;
    void on_unmap() override;
    bool on_window_state_event(GdkEventWindowState *event) override;

private:
    Gtk::Widget &make_pad_column();
    void start_looking();
    void stop_looking();
    bool on_look();
    // Looks at the block's key and brings the window to what it finds.
    void look_at_block();
    void show_block_status();
    void on_start_clicked();
    void on_session_started(int status, const std::string &last_error_line);
    Gtk::Widget &make_action_bar();
    void on_save_clicked();
    void on_saved(int status, const std::string &last_error_line);
    void on_revert_clicked();
    void on_defaults_clicked();
    // The action bar's buttons follow the block and a save under way.
    void update_actions();

    BlockLink link_;
    SettingControls controls_;
    GesturesPage gestures_;
    PadView pad_;
    SessionCommand session_;

    Gtk::Box layout_{Gtk::ORIENTATION_VERTICAL};
    Gtk::InfoBar bar_;
    Gtk::Label bar_text_;
    Gtk::Button *start_button_ = nullptr;
    Gtk::Box body_{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::StackSidebar sidebar_;
    Gtk::Stack stack_;
    Gtk::Box pad_column_{Gtk::ORIENTATION_VERTICAL};
    Gtk::Label fingers_text_;
    Gtk::Label last_gesture_;
    LastGestureWatch last_gesture_watch_;
    Gtk::ActionBar actions_;
    Gtk::Button save_{"_Save", true};
    Gtk::Button revert_{"_Revert", true};
    Gtk::Button defaults_{"_Defaults", true};
    Gtk::Label outcome_;  // what Save, Revert or Defaults last did

    sigc::connection look_timer_;
    int looks_ = 0;
    bool iconified_ = false;
    std::string start_outcome_;  // what the last start of the suite said, while the block is missing
};
