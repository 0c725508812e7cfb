import QtQuick
import Velto.Views

// The first step: pair this machine through the browser or with a code, and confirm the proposal.
SetupStepLayout {
    id: step
    required property var presenter
    required property var clock

    title: presenter.title
    message: presenter.message
    avatar: presenter.avatar

    PairControls {
        width: parent ? parent.width : 330
        pair: step.presenter
        clock: step.clock
    }

    illustration: PairingIllustration {
        anchors.fill: parent
        stage: step.presenter.stage
        clock: step.clock
    }
}
