// The swing: one tick every 50 ms, a click sets it going again.
#include "core/swing.h"

#include "mascot/form1.h"

namespace ruvia::mascot {

void Form1::Timer1_Timer() {
    core::SwingState state{Angle, Amplitude, SwingPlus};
    const core::SwingFrame frame = core::stepSwing(state, RopeLen, PinX, PinY);
    AngleRad = frame.angleRad;
    CharX = frame.charX;
    CharY = frame.charY;
    Angle = state.Angle;
    Amplitude = state.Amplitude;
    SwingPlus = state.SwingPlus;
    if (frame.stopTimer) Timer1->setInterval(0);

    clearSceneBeyondBackground();
    SetCap();
    shownPose_ = static_cast<int32_t>(frame.pose);
    setRuvia(CharX, CharY, shownPose_);
    setPin();
    SetLine();
    presentScene();
}

void Form1::PicMain_Click() {
    Amplitude = core::kRestartAmplitude;
    Timer1->setInterval(kTickMilliseconds);
}

}  // namespace ruvia::mascot
