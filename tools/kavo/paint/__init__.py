"""The blackjack table's painters: each module draws one kind of picture with numpy and PIL."""
