import QtQuick
import Velto.Views

// The second step: lend the user's subscriptions, with the kinds of work agreed to and the
// harnesses that are signed in.
SetupStepLayout {
    id: step
    required property var presenter
    required property var clock

    title: userTexts.federationTitle
    message: presenter.message

    Column {
        id: controls
        width: parent ? parent.width : 330
        spacing: 12

        SetupPoint {
            id: firstPoint
            width: parent.width
            symbol: "shippingbox"
            text: userTexts.federationCheckout
        }
        SetupPoint {
            id: secondPoint
            width: parent.width
            symbol: "pause-circle"
            text: userTexts.federationPause
        }
        SetupPoint {
            id: thirdPoint
            width: parent.width
            symbol: "moon-zzz"
            text: userTexts.federationSleep
        }
        Item {
            id: chipsRow
            width: parent.width
            height: chips.height + 4
            SignedInHarnesses {
                id: chips
                y: 4
                chips: step.presenter.harnessChips
            }
        }
        Item {
            width: parent.width
            height: scopes.height + 4
            ScopeList {
                id: scopes
                y: 4
                width: parent.width
                // What the points and chips leave of the step's room, from 60 (a row and a half) to
                // its own 100.
                maximumHeight: Math.max(60, Math.min(100, step.controlsRoom - 4 - 4 * controls.spacing
                                                     - firstPoint.height - secondPoint.height
                                                     - thirdPoint.height - chipsRow.height))
                federation: step.presenter
            }
        }
    }

    illustration: OrbitingGlobe {
        anchors.fill: parent
        organization: step.presenter.firstEnrollment
        clock: step.clock
    }
}
