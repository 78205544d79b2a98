#include "upgrade/remote.h"

#include "image/remoteImage.h"
#include "link/catalogue.h"
#include "link/replyReader.h"
#include "upgrade/pageBar.h"

#include <initializer_list>

namespace {

constexpr char kInvalidResetVector[] =
    "This files Reset Vector address is invalid!  For safety, aborting programming.";
constexpr char kFirmwarePrefix[] = "Firmware:  V";
constexpr char kEnterUpgradeMode[] = "Enter Upgrade mode";
constexpr char kAlreadyInUpgradeMode[] = "In Upgrade mode already!";
constexpr char kFailedToEnter[] = "Failed to enter Upgrade mode!";
constexpr char kEraseFlash[] = "Erase Flash...";
constexpr char kWriteFlash[] = "Write Flash...";
constexpr char kUpgradeOk[] = "Upgrade Ok";
constexpr char kNoResponse[] = "No response!";
constexpr char kWriteError[] = "Write Error ";

// The pages of the bar: the blocks of the application area, then the vector block.
constexpr int kBarPages = remote::BlockCount + 1;

class RemoteUpgrade {
public:
    RemoteUpgrade(OperationContext& ctx, FirmwareImage& image, const std::string& address)
        : ctx_(ctx), image_(image), address_(address) {}

    bool run(std::uint8_t productId) {
        if (!imageAccepted(productId)) return false;
        const bool upgraded = upgradeThroughUnit();
        // The unit in front relays everything to the remote until it is told to stop, failed
        // upgrade or not. A stop touches no unit after it, and a lost line carries nothing.
        if (upgraded || !stopped()) {
            ctx_.link.TxMessage(address_, cmd::RemoteClose, tr::RemoteClose);
        }
        return upgraded;
    }

private:
    bool upgradeThroughUnit() {
        reportVersion();
        send({remote::RequestPrepare}, remote::WaitNone);
        if (stopped()) return false;
        ctx_.link.pause(delay::RemoteAfterPrepare);
        ctx_.console.status(kEnterUpgradeMode);
        if (!enterUpgradeMode()) return false;
        ctx_.console.status(kEraseFlash);
        ctx_.console.status(kWriteFlash);
        PageBar bar(ctx_.console, kBarPages);
        if (!writeApplication(bar) || stopped() || !writeVectors(bar)) return false;
        send({remote::RequestLeave}, remote::WaitNone);
        if (ctx_.link.lineLost()) return false; // no restart to wait for, no version to ask
        ctx_.link.pause(delay::RemoteAfterLeave);
        return confirmVersion();
    }

    // An image that was not read in full is never sent; one whose reset vector does not point
    // into the boot area would leave the remote unable to start.
    bool imageAccepted(std::uint8_t productId) {
        RemoteImageResult read = ReadRemoteImage(image_, productId);
        if (read != RemoteImageResult::Read) {
            ctx_.console.status(RemoteImageFailureLine(read, productId));
            return false;
        }
        if (image_.byteAt(remote::ResetVectorHighAddress) != remote::ResetVectorHigh &&
            image_.byteAt(remote::ResetVectorLowAddress) != remote::ResetVectorLow) {
            ctx_.console.message(MessageKind::Plain, kInvalidResetVector);
            return false;
        }
        return true;
    }

    void reportVersion() {
        send({remote::RequestVersion});
        if (reply_.size() != remote::VersionReplyBytes) return;
        ctx_.console.status(kFirmwarePrefix + hexText::byte(reply_[remote::VersionMajorIndex]) +
                            "." + hexText::byte(reply_[remote::VersionMinorIndex]));
    }

    // The remote may miss the code while it listens for it; it is sent until something comes
    // back. One byte of any value means entered; 08 first says it was in upgrade mode already.
    bool enterUpgradeMode() {
        request_.length = 0;
        for (std::uint8_t b : remote::EntryCode)
            request_.bytes[request_.length++] = b;
        if (!resendWhileSilent(remote::WaitOrdinary, remote::EntrySends)) return false;
        if (reply_.size() == 1 || (!reply_.empty() && reply_[0] == remote::ReplyAccepted))
            return true;
        if (!reply_.empty() && reply_[0] == remote::ReplyAlreadyInUpgrade) {
            ctx_.console.status(kAlreadyInUpgradeMode);
            return true;
        }
        ctx_.console.status(kFailedToEnter);
        return false;
    }

    bool writeApplication(PageBar& bar) {
        for (int a = remote::ApplicationFirst; a < remote::ApplicationLast;
             a += remote::BlockSize) {
            if (stopped()) return false;
            if (!writeBlock(a, {remote::BlockWrite, remote::BlockWrite})) {
                sayBlockFailed();
                return false;
            }
            bar.pageWritten();
        }
        return true;
    }

    // The vectors start the application: a remote whose vector block failed must not leave
    // its boot loader, so that the next run finds it there and writes it again.
    bool writeVectors(PageBar& bar) {
        if (!writeBlock(remote::VectorFirst, {remote::VectorHeadWrite, remote::VectorTailWrite})) {
            sayBlockFailed();
            return false;
        }
        bar.pageWritten();
        return true;
    }

    // The request of the block that the remote did not accept: unanswered, or refused with
    // the byte it gave instead of 07.
    void sayBlockFailed() {
        if (reply_.empty())
            ctx_.console.status(kNoResponse);
        else
            ctx_.console.status(kWriteError + hexText::byte(reply_[0]));
    }

    // Address, erase, then the writes one after the other from the set address.
    bool writeBlock(int start, std::initializer_list<int> writes) {
        if (!send({remote::RequestSetAddress, static_cast<std::uint8_t>(start >> 8),
                   static_cast<std::uint8_t>(start & 0xFF)}) ||
            !send({remote::RequestEraseBlock}))
            return false;
        for (int n : writes) {
            request_.bytes[0] = remote::RequestWrite;
            FormatData(image_, request_, start, n);
            if (!sendRequest(remote::WaitOrdinary)) return false;
            start += n;
        }
        return true;
    }

    // After leaving upgrade mode the remote restarts and may miss the first queries. Only its
    // application tells its version: a remote that gives none did not come back from its boot
    // loader (it missed the request to leave it), and the upgrade is not done.
    bool confirmVersion() {
        request_.bytes[0] = remote::RequestVersion;
        request_.length = 1;
        if (!resendWhileSilent(remote::WaitFinalVersion, remote::VersionSends)) return false;
        if (reply_.size() != remote::VersionReplyBytes) return false;
        ctx_.console.status(kUpgradeOk);
        return true;
    }

    // Sends the request up to sends times until the remote answers; false when stopped.
    bool resendWhileSilent(std::uint8_t waitCode, int sends) {
        sendRequest(waitCode);
        for (int sent = 1; reply_.empty() && sent < sends; ++sent) {
            if (stopped()) return false;
            sendRequest(waitCode);
        }
        return true;
    }

    bool send(std::initializer_list<std::uint8_t> bytes,
              std::uint8_t waitCode = remote::WaitOrdinary) {
        request_.length = 0;
        for (std::uint8_t b : bytes)
            request_.bytes[request_.length++] = b;
        return sendRequest(waitCode);
    }

    // True when the remote accepted: exactly one byte, 07.
    bool sendRequest(std::uint8_t waitCode) {
        TxMessageRemote(ctx_.link, address_, waitCode, request_, reply_);
        return reply_.size() == 1 && reply_[0] == remote::ReplyAccepted;
    }

    bool stopped() const { return ctx_.ended(); }

    OperationContext& ctx_;
    FirmwareImage& image_;
    const std::string& address_;
    RemoteRequest request_;
    RemoteReply reply_;
};

} // namespace

void TxMessageRemote(Transaction& link, const std::string& address, std::uint8_t waitCode,
                     const RemoteRequest& request, RemoteReply& reply) {
    const TimeoutRetries use = waitCode == remote::WaitNone ? tr::FireAndForget : tr::RemoteRequest;
    const Reply text = link.TxMessage(
        address, cmd::passThrough(waitCode, std::span(request.bytes.data(), request.length)), use);
    reply = reply::passThroughBytes(text.text);
}

bool GoUpgradeRemote(UpgradeRun& run, const std::string& address, std::uint8_t productId) {
    return RemoteUpgrade(run.ctx, run.image, address).run(productId);
}
