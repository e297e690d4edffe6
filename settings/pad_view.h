// The live drawing of the pad: each contact the block reports, the buttons as
// labelled boxes under it. While a finger or a button is down it follows the
// block at the display's frame rate (a tick callback of the frame clock);
// otherwise nothing runs here, and the window's look() a few times a second
// is what notices the next finger.
#pragma once

#include <gtkmm.h>

#include <string>

#include "pad_picture.h"
#include "touchpad_block.h"

class PadView : public Gtk::DrawingArea {
public:
    PadView();

    // The block to follow, or nullptr for none (an empty pad is drawn).
    void set_block(const TouchpadSharedBlock *block);
    // One look at the block; starts following frame by frame when a finger
    // or a button is down.
    void look();
    bool following() const { return tick_id_ != 0; }

    // The contacts and buttons in words ("2 fingers on the pad", ...), each
    // time they change.
    sigc::signal<void(const std::string &)> &signal_summary() { return summary_changed_; }

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context> &cr) override;
    void on_style_updated() override;

private:
    FingerReading read() const;
    bool on_tick(const Glib::RefPtr<Gdk::FrameClock> &clock);
    void show(const FingerReading &reading);
    void invalidate_contacts(const PadPicture &picture);
    void draw_background(const Cairo::RefPtr<Cairo::Context> &cr, const PadPicture &picture);
    void stop_following();

    const TouchpadSharedBlock *block_ = nullptr;
    FingerReading shown_{};
    guint tick_id_ = 0;
    std::string summary_;
    // The pad and the buttons as last drawn, for the size and buttons they
    // were drawn for.
    Cairo::RefPtr<Cairo::Surface> background_;
    int background_width_ = 0, background_height_ = 0;
    PadPicture background_picture_{};
    sigc::signal<void(const std::string &)> summary_changed_;
};
