"""Learn the bundled promoters, cross-validate them and plot the ROC curve.

Paste into a notebook cell or run as a script. The module comes with the Debian package (or
`cmake --install`); from a build tree, run with PYTHONPATH=build/src/python. The ROC curve is
drawn when matplotlib is installed (Debian: python3-matplotlib).
"""
import os

import motifora

here = os.path.dirname(os.path.abspath(__file__)) if "__file__" in globals() else "examples"
examples = next(p for p in (here, "/usr/share/motifora/examples")
                if os.path.exists(os.path.join(p, "promoters_pos.seq")))
positives = os.path.join(examples, "promoters_pos.seq")
negatives = os.path.join(examples, "promoters_neg.seq")

# The search and the idealization, as the window runs them (Ctrl-C stops the run).
model = motifora.learn(positives, negatives, idealization="deleting",
                       progress=lambda stage, done, total: print(f"\r{stage} {done}/{total}   ",
                                                                 end=""))
print(f"\n{len(model.rules)} regularities, {len(model.classes)} classes")
for rule in model.rules[:5]:
    print(f"  Fisher {rule['fisher']:.2e}  CP {rule['cp']:.3f}  {rule['words']}")

# Class scores of the negatives as NumPy arrays: the best score and its class.
names, letters = motifora.read_samples(negatives)
scores, classes = model.score(letters)
print(f"negatives: mean best score {scores.mean():.2f}, {len(set(classes))} classes reached")

# Held-out evaluation: the same figures as motifora-cli --cross-validate 5,1.
cv = model.cross_validate(k=5, seed=1)
auc = cv["auc"]
print(f"held-out AUC {auc['auc']:.3f} (95 % {auc['low']:.3f}-{auc['high']:.3f}), "
      f"level {cv['level']:.2f}, first-level errors {cv['first_level_errors']['count']} of "
      f"{cv['first_level_errors']['total']}, second-level errors "
      f"{cv['second_level_errors']['count']} of {cv['second_level_errors']['total']}")
for fold in cv["per_fold"]:
    print(f"  fold {fold['fold']}: {fold['rules']} rules, {fold['classes']} classes, "
          f"AUC {fold['auc']['auc']:.3f}")

try:
    import matplotlib.pyplot as plt
except ImportError:
    plt = None
    print("matplotlib is not installed: no ROC plot")
if plt is not None:
    roc = cv["roc"]  # columns: level, false positive rate, true positive rate
    plt.figure(figsize=(4, 4))
    plt.plot(roc[:, 1], roc[:, 2], label=f"held-out, AUC {auc['auc']:.2f}")
    plt.plot([0, 1], [0, 1], linestyle=":", color="grey")
    plt.xlabel("false positive rate")
    plt.ylabel("true positive rate")
    plt.title("Promoters, 5-fold cross-validation")
    plt.legend(loc="lower right")
    plt.tight_layout()
    plt.savefig("promoters-roc.png", dpi=100)
    print("ROC curve written to promoters-roc.png")
