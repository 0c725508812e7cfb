import QtQuick
import Velto.Views

// The second step: lend the user's subscriptions, with the kinds of work agreed to and the
// harnesses that are signed in.
SetupStepLayout {
    id: step
    required property var flow
    required property var clock

    title: userTexts.federationTitle
    message: flow.federationMessage

    Column {
        width: parent ? parent.width : 330
        spacing: 12

        SetupPoint {
            width: parent.width
            symbol: "shippingbox"
            text: userTexts.federationCheckout
        }
        SetupPoint {
            width: parent.width
            symbol: "pause-circle"
            text: userTexts.federationPause
        }
        SetupPoint {
            width: parent.width
            symbol: "moon-zzz"
            text: userTexts.federationSleep
        }
        Item {
            width: parent.width
            height: chips.height + 4
            SignedInHarnesses {
                id: chips
                y: 4
                chips: step.flow.harnessChips
            }
        }
        Item {
            width: parent.width
            height: scopes.height + 4
            ScopeList {
                id: scopes
                y: 4
                width: parent.width
                flow: step.flow
            }
        }
    }

    illustration: OrbitingGlobe {
        anchors.fill: parent
        organization: step.flow.firstEnrollment
        clock: step.clock
    }
}
