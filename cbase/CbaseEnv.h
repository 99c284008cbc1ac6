#pragma once

#include <QObject>
#include <QString>

// Environment settings in the xBase manner, as plain stored values: setting one has no effect
// beyond storing it. Every property starts at zero, false or empty. Some have declared defaults
// (decimals 2, epoch 1900, exclusive and confirm on), but those only ever decided what a form
// description stored; construction does not apply them.
class TCbaseEnv : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool SetDeleteON READ SetDeleteON WRITE setSetDeleteON)
    Q_PROPERTY(bool SetExactON READ SetExactON WRITE setSetExactON)
    Q_PROPERTY(int SetDecimalsTO READ SetDecimalsTO WRITE setSetDecimalsTO)
    Q_PROPERTY(QString SetDateFORMAT READ SetDateFORMAT WRITE setSetDateFORMAT)
    Q_PROPERTY(int SetEpoch READ SetEpoch WRITE setSetEpoch)
    Q_PROPERTY(QString SetPath READ SetPath WRITE setSetPath)
    Q_PROPERTY(bool SetExclusiveON READ SetExclusiveON WRITE setSetExclusiveON)
    Q_PROPERTY(bool SetSoftSeekON READ SetSoftSeekON WRITE setSetSoftSeekON)
    Q_PROPERTY(bool SetUniqueON READ SetUniqueON WRITE setSetUniqueON)
    Q_PROPERTY(bool SetConfirmON READ SetConfirmON WRITE setSetConfirmON)
    Q_PROPERTY(bool SetInsertON READ SetInsertON WRITE setSetInsertON)

public:
    explicit TCbaseEnv(QObject* parent = nullptr);
    ~TCbaseEnv() override;

    bool SetDeleteON() const noexcept { return m_setDeleteON; }
    void setSetDeleteON(bool value) noexcept { m_setDeleteON = value; }
    bool SetExactON() const noexcept { return m_setExactON; }
    void setSetExactON(bool value) noexcept { m_setExactON = value; }
    int SetDecimalsTO() const noexcept { return m_setDecimalsTO; }
    void setSetDecimalsTO(int value) noexcept { m_setDecimalsTO = value; }
    QString SetDateFORMAT() const { return m_setDateFORMAT; }
    void setSetDateFORMAT(const QString& value) { m_setDateFORMAT = value; }
    int SetEpoch() const noexcept { return m_setEpoch; }
    void setSetEpoch(int value) noexcept { m_setEpoch = value; }
    QString SetPath() const { return m_setPath; }
    void setSetPath(const QString& value) { m_setPath = value; }
    bool SetExclusiveON() const noexcept { return m_setExclusiveON; }
    void setSetExclusiveON(bool value) noexcept { m_setExclusiveON = value; }
    bool SetSoftSeekON() const noexcept { return m_setSoftSeekON; }
    void setSetSoftSeekON(bool value) noexcept { m_setSoftSeekON = value; }
    bool SetUniqueON() const noexcept { return m_setUniqueON; }
    void setSetUniqueON(bool value) noexcept { m_setUniqueON = value; }
    bool SetConfirmON() const noexcept { return m_setConfirmON; }
    void setSetConfirmON(bool value) noexcept { m_setConfirmON = value; }
    bool SetInsertON() const noexcept { return m_setInsertON; }
    void setSetInsertON(bool value) noexcept { m_setInsertON = value; }

private:
    bool m_setDeleteON = false;
    bool m_setExactON = false;
    int m_setDecimalsTO = 0;
    QString m_setDateFORMAT;
    int m_setEpoch = 0;
    QString m_setPath;
    bool m_setExclusiveON = false;
    bool m_setSoftSeekON = false;
    bool m_setUniqueON = false;
    bool m_setConfirmON = false;
    bool m_setInsertON = false;
};
