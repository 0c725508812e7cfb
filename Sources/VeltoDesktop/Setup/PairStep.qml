import QtQuick
import Velto.Views

// The first step: pair this machine through the browser or with a code, and confirm the proposal.
SetupStepLayout {
    id: step
    required property var flow
    required property var clock

    title: flow.pairTitle
    message: flow.pairMessage
    avatar: flow.pairAvatar

    PairControls {
        width: parent ? parent.width : 330
        flow: step.flow
        clock: step.clock
    }

    illustration: PairingIllustration {
        anchors.fill: parent
        stage: step.flow.pairStage
        clock: step.clock
    }
}
