"""Drawing code of the demo scene's artwork (used by tools/make_demo.py)."""
